// Strings that came from the network are only ever drawn as text (canvas fillText or
// textContent). These helpers keep them short and free of characters that could break
// a layout: control codes, bidi overrides, zero-width characters.

const INVISIBLE = /[\u0000-\u001f\u007f-\u009f\u200b-\u200f\u202a-\u202e\u2060-\u2069\ufeff]/g;

export function cleanText(value, maxLength = 40) {
  if (value === null || value === undefined) return '';
  let s = String(value).replace(INVISIBLE, '').replace(/\s+/g, ' ').trim();
  const chars = Array.from(s);
  if (chars.length > maxLength) s = chars.slice(0, Math.max(1, maxLength - 1)).join('').trimEnd() + '…';
  return s;
}

export function cleanSymbol(value) {
  return cleanText(value, 8).toUpperCase();
}
