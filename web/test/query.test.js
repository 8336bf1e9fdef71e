// Links the page reads and writes.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const { parseRunQuery, formatRunQuery } = require('../query.js');

test('good links give the options, and writing them gives the canonical link back', () => {
  const cases = [
    ['?v=1&seed=1733600000&character=chris&difficulty=hard&enemies=1&modifiers=1,3',
      { seed: 1733600000, chris: true, hard: true, enemies: true, modifiers: [1, 3], race: false, plando: '' }, null],
    // A link of before versions were written is version 1.
    ['seed=0&character=jill&difficulty=normal',
      { seed: 0, chris: false, hard: false, enemies: false, modifiers: [], race: false, plando: '' },
      '?v=1&seed=0&character=jill&difficulty=normal'],
    ['?seed=4294967295&character=Jill&difficulty=HARD&enemies=0&modifiers=6,2,2&race=0',
      { seed: 4294967295, chris: false, hard: true, enemies: false, modifiers: [2, 6], race: false, plando: '' },
      '?v=1&seed=4294967295&character=jill&difficulty=hard&modifiers=2,6'],
    ['?character=chris&difficulty=normal&modifiers=',
      { seed: null, chris: true, hard: false, enemies: false, modifiers: [], race: false, plando: '' },
      '?v=1&character=chris&difficulty=normal'],
    ['?v=1&character=jill&difficulty=hard&enemies=1&race=1',
      { seed: null, chris: false, hard: true, enemies: true, modifiers: [], race: true, plando: '' }, null],
    // A plando's text comes back byte for byte, non-ASCII and CR LF included.
    ['?v=1&seed=7&character=chris&difficulty=normal&plando=1.U2hpZWxkIEtleSBpbiBCQVI6IMOpDQpzbG90IDM',
      { seed: 7, chris: true, hard: false, enemies: false, modifiers: [], race: false,
        plando: 'Shield Key in BAR: \u00e9\r\nslot 3' }, null],
    ['?v=1&character=jill&difficulty=hard&race=1&plando=1.Pz8-',
      { seed: null, chris: false, hard: true, enemies: false, modifiers: [], race: true, plando: '??>' }, null],
  ];
  for (const [query, options, canonical] of cases) {
    assert.deepStrictEqual(parseRunQuery(query), { options, error: null }, query);
    assert.strictEqual(formatRunQuery(options), canonical || query);
  }
  // The seed a race was made from never reaches its link.
  assert.strictEqual(formatRunQuery({ seed: 5, chris: true, hard: false, enemies: false, modifiers: [], race: true }),
    '?v=1&character=chris&difficulty=normal&race=1');
  for (const query of ['', '?v=1']) assert.deepStrictEqual(parseRunQuery(query), { options: null, error: null });
});

test('a link of another version starts no run, whatever else it holds', () => {
  for (const [query, version] of [['?v=2&seed=1&character=chris&difficulty=hard', '2'],
    ['?seed=1&character=chris&difficulty=hard&v=0', '0'], ['?v=1&v=3&colour=red', '3'], ['?v=', '']]) {
    assert.deepStrictEqual(parseRunQuery(query), {
      options: null,
      error: `This link was made by another version of the generator (v=${version}); the files it gives here may differ.`,
    }, query);
  }
});

test('bad links name what is wrong and give no options', () => {
  const cases = [
    ['?seed=4294967296&character=chris&difficulty=hard', /seed '4294967296'/],
    ['?seed=-1&character=chris&difficulty=hard', /seed '-1'/],
    ['?seed=&character=chris&difficulty=hard', /seed ''/],
    ['?seed=1e3&character=chris&difficulty=hard', /seed '1e3'/],
    ['?seed=1&difficulty=hard', /character is missing/],
    ['?seed=1&character=chris', /difficulty is missing/],
    ['?character=barry&difficulty=hard', /character 'barry'/],
    ['?character=chris&difficulty=easy', /difficulty 'easy'/],
    ['?character=chris&difficulty=hard&enemies=true', /enemies 'true'/],
    ['?character=chris&difficulty=hard&modifiers=0', /modifier '0'/],
    ['?character=chris&difficulty=hard&modifiers=1,,2', /modifier ''/],
    ['?character=chris&difficulty=hard&modifiers=12', /modifier '12'/],
    ['?character=chris&difficulty=hard&modifiers=1x', /modifier '1x'/],
    ['?character=chris&difficulty=hard&modifiers=7', /modifier '7'/],
    ['?character=chris&difficulty=hard&modifiers=%201', /modifier ' 1'/],
    ['?character=chris&difficulty=hard&character=jill', /'character' is given twice/],
    ['?character=chris&difficulty=hard&seeed=5', /unknown option 'seeed'/],
    ['?character=chris&difficulty=hard&race=yes', /race 'yes'/],
    ['?seed=5&character=chris&difficulty=hard&race=1', /a race link carries no seed/],
    ['?v=1&v=1&character=chris&difficulty=hard', /'v' is given twice/],
    ['?character=chris&difficulty=hard&plando=U2hp', /plando encoding '' is not version 1/],
    ['?character=chris&difficulty=hard&plando=2.U2hp', /plando encoding '2' is not version 1/],
    ['?character=chris&difficulty=hard&plando=1.U', /not base64url/],
    ['?character=chris&difficulty=hard&plando=1.U2hpZ', /not base64url/],
    ['?character=chris&difficulty=hard&plando=1.U2h%2B', /not base64url/],
    ['?character=chris&difficulty=hard&plando=1.U2h=', /not base64url/],
    ['?character=chris&difficulty=hard&plando=1.' + 'A'.repeat(90000), /not base64url/],
    ['?character=chris&difficulty=hard&plando=1.gA', /not UTF-8/],
    ['?character=chris&difficulty=hard&plando=1.&plando=1.', /'plando' is given twice/],
  ];
  for (const [query, reason] of cases) {
    const { options, error } = parseRunQuery(query);
    assert.strictEqual(options, null, query);
    assert.match(error, /^This link cannot be used: .+\.$/, query);
    assert.match(error, reason, query);
  }
});
