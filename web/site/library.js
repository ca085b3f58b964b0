// The model library for the picker: the table's rows, the cell kinds orvex-gen names, the
// groups, and kinds of cells in words.
'use strict';

const OrvexLibrary = (() => {
  const GROUPS = [
    ['regular', 'Regular'], ['uniform', 'Uniform'], ['dual', 'Duals'], ['prism', 'Prisms'],
    ['duoprism', 'Duoprisms'], ['antiprismatic-prism', 'Antiprismatic prisms']];
  const SHAPES = {
    '3x4': 'tetrahedra', '4x6': 'cubes', '3x8': 'octahedra', '5x12': 'dodecahedra',
    '3x20': 'icosahedra', '3x8 4x6': 'cuboctahedra', '3x4 6x4': 'truncated tetrahedra',
    '4x6 6x8': 'truncated octahedra', '3x8 8x6': 'truncated cubes',
    '3x8 4x18': 'rhombicuboctahedra', '4x12 6x8 8x6': 'truncated cuboctahedra',
    '3x20 5x12': 'icosidodecahedra', '3x20 10x12': 'truncated dodecahedra',
    '5x12 6x20': 'truncated icosahedra', '3x20 4x30 5x12': 'rhombicosidodecahedra',
    '4x30 6x20 10x12': 'truncated icosidodecahedra'};

  function parseLibrary(tsv) {
    const rows = [];
    for (const line of tsv.split('\n')) {
      if (!line || line.startsWith('#')) continue;
      const [name, family, , V, E, F, C, symmetry, volume, circumradius, dual] = line.split('\t');
      const known = (text) => (text && text !== '-' ? text : '');
      rows.push({ name, family, V, E, F, C, symmetry: known(symmetry), dual: known(dual) });
    }
    return rows;
  }

  function parseKinds(tsv) {
    const kinds = new Map();
    for (const line of tsv.split('\n')) {
      const [name, text] = line.split('\t');
      if (name && text) kinds.set(name, text);
    }
    return kinds;
  }

  function fillPicker(select, library, kinds) {
    select.textContent = '';
    for (const [family, title] of GROUPS) {
      const group = document.createElement('optgroup');
      group.label = title;
      for (const row of library.filter((r) => r.family === family)) {
        const option = document.createElement('option');
        option.value = row.name;
        const cells = kinds.get(row.name);
        option.textContent = `${row.name}  (${row.V} V, ${row.E} E, ${row.F} F, ${row.C} C` +
          (cells ? `: ${cells})` : ')');
        group.appendChild(option);
      }
      if (group.children.length) select.appendChild(group);
    }
  }

  const POLYGON_NAMES = { 3: 'triangular', 5: 'pentagonal', 6: 'hexagonal', 8: 'octagonal',
                          10: 'decagonal' };

  /// A kind of cell in words: "120 dodecahedra", "10 hexagonal prisms".
  function kindText(signature, count) {
    if (SHAPES[signature]) return `${count} ${SHAPES[signature]}`;
    const sizes = new Map(signature.split(' ').map((p) => p.split('x').map(Number)));
    const [n] = [...sizes.keys()].filter((k) => k !== 3 && k !== 4);
    const gon = POLYGON_NAMES[n] || `${n}-gonal`;
    if (sizes.size === 2 && sizes.get(n) === 2 && sizes.get(4) === n) return `${count} ${gon} prisms`;
    if (sizes.size === 2 && sizes.get(n) === 2 && sizes.get(3) === 2 * n) return `${count} ${gon} antiprisms`;
    if (signature === '3x2 4x3') return `${count} triangular prisms`;
    return `${count} cells of ${[...sizes].map(([s, k]) => `${k} ${s}-gons`).join(', ')}`;
  }

  return { parseLibrary, parseKinds, fillPicker, kindText };
})();
