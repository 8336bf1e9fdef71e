// The page's Plando box: the items a player fixes for the next run, typed,
// loaded from a plando or spoiler file, or added by the companion's "Keep
// here". The engine's verdict on the lines (the console's messages for a
// refused or impossible plando) is shown as the player types and whenever the
// form's options change; the run itself reads the text again in the engine.
// The page reads MansionPlando.text() for a run and fills the box from a link
// with MansionPlando.setText(text).
'use strict';

(function () {
  const byId = (id) => document.getElementById(id);
  const form = byId('options');
  const box = byId('plando');
  const fileInput = byId('plando-file');
  const verdict = byId('plando-verdict');

  // Typing pauses this long before the engine is asked.
  const kVerdictDelayMs = 250;
  // One byte past the engine's limit, so a larger file is refused there.
  const kReadBytes = 64 * 1024 + 1;
  const kHeadings = {
    0: 'Every line can be kept; the run places the rest around them:',
    2: 'Refused (a run would stop with these messages):',
    6: 'No run can keep these lines:',
  };
  let timer = 0;

  // The box's text, or '' when it holds nothing but blanks (no plando).
  function text() {
    return box.value.trim() === '' ? '' : box.value;
  }

  // Asks the engine for the verdict on the box as it is now and shows it;
  // returns the verdict, or null when none is shown.
  async function showVerdict() {
    clearTimeout(timer);
    const plando = text();
    if (plando === '') {
      verdict.textContent = '';
      delete verdict.dataset.status;
      return null;
    }
    let answer;
    try {
      answer = await globalThis.MansionCompanion.checkPlando(plando, globalThis.MansionCompanion.formOptions());
    } catch (error) {
      verdict.textContent = `cannot check the plando: ${error.message}`;
      return null;
    }
    // A newer question is on its way.
    if (!answer || plando !== text()) return null;
    verdict.textContent = [kHeadings[answer.status] || `Status ${answer.status}:`, ...answer.lines].join('\n');
    verdict.dataset.status = String(answer.status);
    return answer;
  }

  function scheduleVerdict() {
    clearTimeout(timer);
    timer = setTimeout(showVerdict, kVerdictDelayMs);
  }

  function setText(value) {
    box.value = value;
    showVerdict();
  }

  // Adds one line at the end of the box, on a line of its own.
  function keep(line) {
    const before = box.value === '' || box.value.endsWith('\n') ? box.value : `${box.value}\n`;
    setText(`${before}${line}\n`);
  }

  // A spoiler file is kept in the box as the lines the engine accepted from
  // it, so that its link stays short; a plando file as it is.
  async function load(file) {
    const bytes = new Uint8Array(await file.slice(0, kReadBytes).arrayBuffer());
    setText(new TextDecoder().decode(bytes));
    const answer = await showVerdict();
    if (answer && answer.status === 0 && box.value.trimStart().startsWith('{')) {
      setText(`${answer.lines.join('\n')}\n`);
    }
  }

  box.addEventListener('input', scheduleVerdict);
  form.addEventListener('change', scheduleVerdict);
  fileInput.addEventListener('change', () => {
    if (fileInput.files.length > 0) {
      const file = fileInput.files[0];
      load(file).catch((error) => {
        verdict.textContent = `cannot read ${file.name}: ${error.message}`;
      });
    }
    // The same file chosen again is read again.
    fileInput.value = '';
  });

  globalThis.MansionPlando = { text, setText, keep };
})();
