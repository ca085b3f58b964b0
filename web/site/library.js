// The model library: the table's rows with the cell kinds orvex-gen names, in the picker
// and in the gallery of thumbnails orvex-render drew, by family.
'use strict';

const OrvexLibrary = (() => {
  const GROUPS = [
    ['regular', 'Regular'], ['uniform', 'Uniform'], ['dual', 'Duals'], ['prism', 'Prisms'],
    ['duoprism', 'Duoprisms'], ['antiprismatic-prism', 'Antiprismatic prisms']];

  /// The rows of polytopes.tsv, each with its cell kinds from kinds.tsv (name TAB kinds).
  function parse(table, kindsTable) {
    const kinds = new Map();
    for (const line of kindsTable.split('\n')) {
      const [name, text] = line.split('\t');
      if (name && text) kinds.set(name, text);
    }
    const rows = [];
    for (const line of table.split('\n')) {
      if (!line || line.startsWith('#')) continue;
      const [name, family, , V, E, F, C, symmetry, , , dual] = line.split('\t');
      rows.push({ name, family, V, E, F, C, symmetry, dual, cells: kinds.get(name) || '' });
    }
    return rows;
  }

  const counts = (row) => `${row.V} V, ${row.E} E, ${row.F} F, ${row.C} C`;

  function grouped(rows) {
    return GROUPS.map(([family, title]) => [title, rows.filter((r) => r.family === family)])
      .filter(([, members]) => members.length > 0);
  }

  function fillPicker(select, rows) {
    select.textContent = '';
    for (const [title, members] of grouped(rows)) {
      const group = document.createElement('optgroup');
      group.label = title;
      for (const row of members) {
        const option = document.createElement('option');
        option.value = row.name;
        option.textContent = `${row.name}  (${counts(row)}${row.cells ? `: ${row.cells}` : ''})`;
        group.appendChild(option);
      }
      select.appendChild(group);
    }
  }

  /// Fills the gallery's grid with a card per row, thumb(name) the picture's address;
  /// pick(name) follows a click.
  function fillGallery(grid, rows, thumb, pick) {
    grid.textContent = '';
    for (const [title, members] of grouped(rows)) {
      const section = document.createElement('section');
      const heading = document.createElement('h3');
      heading.textContent = title;
      section.appendChild(heading);
      for (const row of members) {
        const card = document.createElement('button');
        card.className = 'card';
        card.dataset.name = row.name;
        card.dataset.search = `${row.name} ${row.cells}`.toLowerCase();
        const img = document.createElement('img');
        img.loading = 'lazy';
        img.alt = '';
        img.width = img.height = 160;
        img.src = thumb(row.name);
        const name = document.createElement('b');
        name.textContent = row.name;
        const text = document.createElement('span');
        text.textContent = `${counts(row)}${row.cells ? `: ${row.cells}` : ''}`;
        card.append(img, name, text);
        card.addEventListener('click', () => pick(row.name));
        section.appendChild(card);
      }
      grid.appendChild(section);
    }
  }

  /// Shows the cards whose name or cell kinds hold every word of query; returns how many.
  function filterGallery(grid, query) {
    const words = query.toLowerCase().split(/\s+/).filter(Boolean);
    let shown = 0;
    for (const section of grid.querySelectorAll('section')) {
      let inSection = 0;
      for (const card of section.querySelectorAll('.card')) {
        const match = words.every((w) => card.dataset.search.includes(w));
        card.hidden = !match;
        if (match) inSection++;
      }
      section.hidden = inSection === 0;
      shown += inSection;
    }
    return shown;
  }

  return { parse, fillPicker, fillGallery, filterGallery };
})();
