// The pause of a loop that polls for keys: the program's stack is put aside until the page's
// next key or the time given, whichever comes first. The key's event handler is still running
// the program's code when it tells of the key, so the program goes on only once that handler
// has returned. Like any timer of the program's, the pause keeps its run alive, and the program
// may end after it.
mergeInto(LibraryManager.library, {
  page_pause_for_keys__deps: ['$callUserCallback', '$runtimeKeepalivePush', '$runtimeKeepalivePop'],
  page_pause_for_keys: function (milliseconds) {
    Asyncify.handleSleep(function (wakeUp) {
      runtimeKeepalivePush();
      var timer = setTimeout(wake, milliseconds);
      function arrived() { setTimeout(wake, 0); }
      function wake() {
        if (Module.qzKeyArrived !== arrived) return;
        Module.qzKeyArrived = null;
        clearTimeout(timer);
        runtimeKeepalivePop();
        callUserCallback(wakeUp);
      }
      Module.qzKeyArrived = arrived;
    });
  },

  page_key_arrived: function () {
    if (Module.qzKeyArrived) Module.qzKeyArrived();
  },
});
