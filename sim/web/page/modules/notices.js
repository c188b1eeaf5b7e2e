// What the page says about the phone itself: while the server is gone the phone
// looks switched off and a notice at the top of the window says so (the server's
// hello brings both back); a press the simulator could not take (another window's
// finger is down) is said so on the phone, for a moment.

let refusedTimer = null;

export function showConnected(connected) {
  document.getElementById('connection').hidden = connected;
  document.body.classList.toggle('disconnected', !connected);
}

export function showRefused(reason) {
  const notice = document.getElementById('refused');
  notice.textContent = `Not touched: ${reason}.`;
  notice.hidden = false;
  clearTimeout(refusedTimer);
  refusedTimer = setTimeout(() => (notice.hidden = true), 2500);
}
