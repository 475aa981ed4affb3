// Playwright's key names ('Shift+Tab', 'Control+a', 'F1', 'Numpad8') as the key actions of W3C
// WebDriver, which both the Firefox (WebDriver BiDi) and the WebKit (WebDriver) adapters send:
// each key is one character, a key with no character a code point of WebDriver's own.
const kNamedKeys = {
  Backspace: '\uE003', Tab: '\uE004', Enter: '\uE006', Shift: '\uE008', Control: '\uE009', Alt: '\uE00A',
  Escape: '\uE00C', Space: ' ', PageUp: '\uE00E', PageDown: '\uE00F', End: '\uE010', Home: '\uE011',
  ArrowLeft: '\uE012', ArrowUp: '\uE013', ArrowRight: '\uE014', ArrowDown: '\uE015',
  Insert: '\uE016', Delete: '\uE017', Meta: '\uE03D',
  NumpadMultiply: '\uE024', NumpadAdd: '\uE025', NumpadSubtract: '\uE027', NumpadDivide: '\uE029',
  // The keypad with Num Lock off, as Playwright presses it: Numpad8 is the keypad's ArrowUp.
  Numpad0: '\uE05C', Numpad1: '\uE056', Numpad2: '\uE05B', Numpad3: '\uE055', Numpad4: '\uE058',
  Numpad6: '\uE05A', Numpad7: '\uE057', Numpad8: '\uE059', Numpad9: '\uE054', NumpadDecimal: '\uE05D',
  ...Object.fromEntries(Array.from({ length: 12 }, (_, i) => [`F${i + 1}`, String.fromCharCode(0xE031 + i)])),
};

function keyValue(name) {
  if ([...name].length === 1) return name;
  if (name in kNamedKeys) return kNamedKeys[name];
  throw new Error(`no such key: ${name}`);
}

// The key actions of one press: the modifiers down, the key down and up, the modifiers up.
export function keyActions(combination) {
  const [, modifiers, key] = combination.match(/^((?:(?:Shift|Control|Alt|Meta)\+)*)(.+)$/);
  const held = modifiers.split('+').filter(Boolean).map(keyValue);
  const value = keyValue(key);
  return [...held.map((m) => ({ type: 'keyDown', value: m })), { type: 'keyDown', value }, { type: 'keyUp', value },
    ...held.reverse().map((m) => ({ type: 'keyUp', value: m }))];
}
