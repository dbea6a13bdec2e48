// Small helpers that the drawing modules share: making elements, and
// setting a text or a class only when it changes (a text or a class set
// again to the same value would still make the browser lay it out anew).

export function $(id) {
  return document.getElementById(id);
}

// A new element with the properties given (className, lang, textContent,
// ...) and the children after them.
export function make(tag, properties, ...children) {
  const el = Object.assign(document.createElement(tag), properties);
  el.append(...children);
  return el;
}

export function setText(el, text) {
  if (el.textContent !== text) el.textContent = text;
}

export function setClass(el, name) {
  if (el.getAttribute('class') !== name) el.setAttribute('class', name);
}

// 121889 as "121,889".
export function count(n) {
  return String(n).replace(/\B(?=(\d{3})+(?!\d))/g, ',');
}

// Yields to the browser (input, drawing) and goes on in a task of its own.
export function nextTask() {
  return new Promise((resolve) => {
    const channel = new MessageChannel();
    channel.port1.onmessage = () => {
      channel.port1.close();
      resolve();
    };
    channel.port2.postMessage(0);
  });
}
