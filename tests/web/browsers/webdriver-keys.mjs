// Playwright's key names ('Shift+Tab', 'Control+a', 'F1', 'Numpad8') as the key actions of W3C
// WebDriver, which both the Firefox (WebDriver BiDi) and the WebKit (WebDriver) adapters send:
// each key is one character, a key with no character a code point of WebDriver's own (only
// those of the keys that the tests and the measuring tool press).
const kNamedKeys = {
  Backspace: '\uE003', Tab: '\uE004', Enter: '\uE006', Shift: '\uE008', Control: '\uE009', Alt: '\uE00A', Space: ' ',
  End: '\uE010', ArrowLeft: '\uE012', ArrowUp: '\uE013', Insert: '\uE016', Delete: '\uE017', F1: '\uE031',
  // The keypad with Num Lock off, as Playwright presses it: Numpad8 is the keypad's ArrowUp.
  Numpad8: '\uE059', NumpadDivide: '\uE029',
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
