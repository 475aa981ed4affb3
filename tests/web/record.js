// What a page does, recorded from its start (the tests' server puts this script first on each
// page): each tone it plays (frequency, the milliseconds the page asked for, whether the audio
// clock already ran when it started, and how loud it reaches the speakers: the product of the
// gains on its way to the output, 0 if it never gets there), its pending timers and animation
// frames, each as its kind and delay, a weak reference to each program instance, and the lines
// of its console.
Object.assign(window, { tones: [], pending: new Map(), instances: [], logged: [] });
(function () {
  const log = console.log;
  console.log = (...args) => logged.push(args.join(' ')) && log(...args);
  const instantiate = WebAssembly.instantiateStreaming;
  WebAssembly.instantiateStreaming = (...args) => instantiate(...args).then((made) => instances.push(new WeakRef(made.instance)) && made);
  const clock = Object.getOwnPropertyDescriptor(BaseAudioContext.prototype, 'currentTime');
  Object.defineProperty(BaseAudioContext.prototype, 'currentTime', { get() { return (this.lastRead = clock.get.call(this)); } });
  const connect = AudioNode.prototype.connect;
  AudioNode.prototype.connect = function (to, ...rest) { (this.outputs ??= []).push(to); return connect.call(this, to, ...rest); };
  const loudness = (node) => (node === node.context.destination ? 1 : Math.max(0, ...(node.outputs ?? []).map((to) => (to.gain?.value ?? 1) * loudness(to))));
  // The page starts a tone and asks for its end at once: the clock's state is the same at both.
  const stop = OscillatorNode.prototype.stop;
  OscillatorNode.prototype.stop = function (when) {
    const ran = this.context.state === 'running' && clock.get.call(this.context) > 0;
    tones.push([this.frequency.value, Math.round((when - this.context.lastRead) * 1000), ran, Math.round(loudness(this) * 1000) / 1000]);
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
