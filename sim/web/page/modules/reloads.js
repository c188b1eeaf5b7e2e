// The panel's notice of bundles whose latest reload failed: the file and line
// that could not be read, until a good save reloads the bundle. Hidden when
// every bundle reloaded.

let shown = '';

export function showReloadProblems(problems) {
  const list = problems || [];
  const text = JSON.stringify(list);
  if (text === shown) return;
  shown = text;
  const card = document.getElementById('reload-problems');
  const items = document.getElementById('reload-problem-list');
  items.replaceChildren();
  for (const problem of list) {
    const item = document.createElement('li');
    const where = document.createElement('strong');
    where.textContent = [problem.bundle, problem.file, problem.line ? `line ${problem.line}` : '']
      .filter(Boolean).join(' · ');
    const why = document.createElement('span');
    why.textContent = problem.error;
    item.append(where, why);
    items.append(item);
  }
  card.hidden = list.length === 0;
}
