// The pages' script. On a program's page (its script element names the program) each run is a
// fresh instance of the program, and the end of one offers the next. On every page: once
// visited, the page runs without a network, where the browser keeps sites so; once loaded, the
// page has the site's worker cache what it needs that it did not fetch itself.
(function () {
  var program = document.currentScript.dataset.program;
  var worker = navigator.serviceWorker;
  if (worker) {
    worker.register('service-worker.js').catch(function () {});
    addEventListener('load', function () {
      if (worker.controller) worker.controller.postMessage('loaded');
    });
  }
  if (!program) return;
  var end = document.getElementById('qzend');
  var status = document.getElementById('qzstatus');
  var keys = document.getElementById('qzkeys');
  function finish(text) {
    status.textContent = text;
    end.hidden = false;
    document.getElementById('qzrun').focus();
  }
  function run() {
    end.hidden = true;
    keys.focus();
    createProgram({
      thisProgram: program,
      onExit: function () { finish(program + ' has ended.'); },
      onAbort: function () { finish(program + ' could not run in this browser.'); }
    });
  }
  document.getElementById('qzrun').addEventListener('click', run);
  run();
})();
