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

// The key actions of one press: each key of the combination down in turn (the modifiers first),
// then up in the reverse order.
export function keyActions(combination) {
  const values = combination.split(/\+(?=.)/).map((name) => {
    if ([...name].length === 1 || name in kNamedKeys) return kNamedKeys[name] ?? name;
    throw new Error(`no such key: ${name}`);
  });
  return [...values.map((value) => ({ type: 'keyDown', value })), ...values.reverse().map((value) => ({ type: 'keyUp', value }))];
}
