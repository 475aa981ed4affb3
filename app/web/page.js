// The pages' script. On a program's page (its script element names the program) each run is a
// fresh instance of the program, and the end of one offers the next. On every page: once
// visited, the site runs without a network, where the browser keeps sites so.
(function () {
  var program = document.currentScript.dataset.program;
  if (navigator.serviceWorker) navigator.serviceWorker.register('service-worker.js').catch(function () {});
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
