// Sound: a short click for each system sound the device plays. The browser lets a
// page play sound only after a gesture; setting it up can take a while, so it
// happens in a later task of the event loop, after the gesture's input has gone out.

let audio = null;
let soundPending = false;

export function prepareSoundSoon() {
  if (soundPending || (audio && audio.state === 'running')) return;
  soundPending = true;
  setTimeout(() => {
    soundPending = false;
    try {
      if (!audio) audio = new (window.AudioContext || window.webkitAudioContext)();
      if (audio.state === 'suspended') audio.resume();
    } catch (error) {
      audio = null;
    }
  }, 0);
}

export function playClick() {
  if (!audio || audio.state !== 'running') return;
  const length = Math.floor(audio.sampleRate * 0.012);
  const buffer = audio.createBuffer(1, length, audio.sampleRate);
  const samples = buffer.getChannelData(0);
  for (let i = 0; i < length; i++) samples[i] = (Math.random() * 2 - 1) * Math.pow(1 - i / length, 4);
  const source = audio.createBufferSource();
  const gain = audio.createGain();
  gain.gain.value = 0.35;
  source.buffer = buffer;
  source.connect(gain).connect(audio.destination);
  source.start();
}
