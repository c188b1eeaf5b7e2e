// Talking to the simulator: one WebSocket (/api/live) that brings the phone's
// frames, the panel and the events, and takes the page's inputs. It reconnects
// after a drop, waiting longer each time (up to 4 s). The phone counts as connected
// from the server's hello until the socket closes.

let socket = null;
let reconnectDelay = 250;
let connected = false;

// `handlers` answer each message by its type; `onConnectionChange(connected)`
// hears the hello and the drop.
export function connect(handlers, onConnectionChange) {
  const url = new URL('/api/live', window.location.href);
  url.protocol = url.protocol === 'https:' ? 'wss:' : 'ws:';
  socket = new WebSocket(url);
  socket.onopen = () => {
    reconnectDelay = 250;
  };
  socket.onmessage = (message) => {
    const text = message.data;
    const parsed = JSON.parse(text);
    // A frame keeps its text: what precedes a material in it is what lies behind it.
    if (parsed.type === 'frame') parsed.text = text;
    const handler = handlers[parsed.type];
    if (handler) handler(parsed);
    if (parsed.type === 'hello') {
      connected = true;
      onConnectionChange(true);
    }
  };
  socket.onclose = () => {
    socket = null;
    connected = false;
    onConnectionChange(false);
    setTimeout(() => connect(handlers, onConnectionChange), reconnectDelay);
    reconnectDelay = Math.min(reconnectDelay * 2, 4000);
  };
}

export const isConnected = () => connected;

// Inputs go out at once, in order. With no connection they are dropped: the phone
// is shown as inactive meanwhile.
export function send(message) {
  if (socket && socket.readyState === WebSocket.OPEN) socket.send(JSON.stringify(message));
}
