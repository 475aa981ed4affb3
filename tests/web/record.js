// What a page does, recorded from its start (the tests' server puts this script first on each
// page): each tone it plays (frequency, the milliseconds the page asked for, and whether the
// audio clock already ran when it started), its pending timers and animation frames, each as
// its kind and delay, a weak reference to each program instance, and the lines of its console.
Object.assign(window, { tones: [], pending: new Map(), instances: [], logged: [] });
(function () {
  const log = console.log;
  console.log = (...args) => logged.push(args.join(' ')) && log(...args);
  const instantiate = WebAssembly.instantiateStreaming;
  WebAssembly.instantiateStreaming = (...args) => instantiate(...args).then((made) => instances.push(new WeakRef(made.instance)) && made);
  const clock = Object.getOwnPropertyDescriptor(BaseAudioContext.prototype, 'currentTime');
  Object.defineProperty(BaseAudioContext.prototype, 'currentTime', { get() { return (this.lastRead = clock.get.call(this)); } });
  const [start, stop] = [OscillatorNode.prototype.start, OscillatorNode.prototype.stop];
  OscillatorNode.prototype.start = function (...args) {
    this.ran = this.context.state === 'running' && clock.get.call(this.context) > 0;
    start.apply(this, args);
  };
  OscillatorNode.prototype.stop = function (when) {
    tones.push([this.frequency.value, Math.round((when - this.context.lastRead) * 1000), this.ran]);
    stop.call(this, when);
  };
  for (const [set, clear] of [['setTimeout', 'clearTimeout'], ['setInterval', 'clearInterval'], ['requestAnimationFrame', 'cancelAnimationFrame']]) {
    const begin = window[set], end = window[clear];
    window[set] = (f, delay, ...rest) => {
      // Not the page's own: a timer of a browser driver's script, which has no address.
      if (!new Error().stack.replace(/.*record\.js.*/g, '').includes(location.origin)) return begin(f, delay, ...rest);
      const id = begin((...a) => { if (set !== 'setInterval') pending.delete(set + id); f(...a); }, delay, ...rest);
      return pending.set(set + id, `${set} ${delay}`) && id;
    };
    window[clear] = (id) => { pending.delete(set + id); end(id); };
  }
})();
