// The page's own figures, read by the end-to-end tests through window.kavro: how
// many frames arrived and were drawn (and when), the latest drawn, pointer
// movements, refused presses, the timing of the latest press, the latest key sent,
// wheel events, blurs, mirror activations.

export const stats = {
  framesReceived: 0,
  framesDrawn: 0,
  lastDrawn: 0,
  times: [], // when each frame of the last second was drawn
  history: [], // when each of the latest 600 frames was drawn
  refused: 0,
};

// Keeps `times` to the last second before `now`.
export function forgetOlderThanASecond(now) {
  const { times } = stats;
  while (times.length && now - times[0] > 1000) times.shift();
}
