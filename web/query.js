// The run options as a link carries them:
//   ?v=1&seed=N&character=chris|jill&difficulty=normal|hard&enemies=1&modifiers=1,3
// or, for a race (a secret seed), ?v=1&character=...&race=1; a run with a
// plando adds &plando=1.TEXT, TEXT the plando's UTF-8 text in base64url
// without padding, 1 the version of that encoding. v is the version of this
// layout; a link without it is read as version 1.
// Loaded by the page as a plain script (globalThis.MansionQuery) and by the
// unit tests as a Node module.
(function (exports) {
  'use strict';

  const kNames = ['v', 'seed', 'character', 'difficulty', 'enemies', 'modifiers', 'race', 'plando'];
  const kLinkVersion = '1';
  const kModifierCount = 6;
  const kPlandoVersion = '1';
  // The engine reads no larger plando.
  const kPlandoLimit = 64 * 1024;

  // A seed as the console program takes it: decimal digits, 0 to 4294967295.
  // Returns the number, or null when the text is no such seed.
  function parseSeed(text) {
    if (!/^[0-9]{1,10}$/.test(text)) return null;
    const value = Number(text);
    return value <= 0xffffffff ? value : null;
  }

  // A plando's text as a link carries it: "1." and base64url of its UTF-8.
  function encodePlando(text) {
    let binary = '';
    for (const byte of new TextEncoder().encode(text)) binary += String.fromCharCode(byte);
    return `${kPlandoVersion}.${btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '')}`;
  }

  // The text of an encoded plando, or { error } saying why it is none.
  function decodePlando(value) {
    const dot = value.indexOf('.');
    const version = dot < 0 ? '' : value.slice(0, dot);
    if (version !== kPlandoVersion) return { error: `plando encoding '${version}' is not version ${kPlandoVersion}` };
    const data = value.slice(dot + 1);
    // base64url without padding: no length leaves a single character over.
    if (!/^[A-Za-z0-9_-]*$/.test(data) || data.length % 4 === 1 || data.length > (kPlandoLimit * 4) / 3 + 4) {
      return { error: 'the plando is not base64url text of a plando' };
    }
    const binary = atob(data.replace(/-/g, '+').replace(/_/g, '/'));
    const bytes = Uint8Array.from(binary, (c) => c.charCodeAt(0));
    try {
      return { text: new TextDecoder('utf-8', { fatal: true }).decode(bytes) };
    } catch (error) {
      return { error: 'the plando is not UTF-8 text' };
    }
  }

  // Reads a query string (with or without its "?"). Returns
  //   { options: null, error: null } when it names no option (no run),
  //   { options, error: null } for a run to make, or
  //   { options: null, error: "..." } saying what is wrong with it.
  // options: { seed: number | null (the clock), chris, hard, enemies,
  // modifiers: sorted numbers 1..6, race, plando: its text, '' for none }.
  function parseRunQuery(search) {
    const params = new URLSearchParams(search);
    // Another version may name or read its options otherwise, so its link is
    // judged by its version alone.
    const otherVersion = params.getAll('v').find((version) => version !== kLinkVersion);
    if (otherVersion !== undefined) {
      return {
        options: null,
        error: `This link was made by another version of the generator (v=${otherVersion}); ` +
          'the files it gives here may differ.',
      };
    }
    const values = new Map();
    for (const [name, value] of params) {
      if (!kNames.includes(name)) return fail(`unknown option '${name}'`);
      if (values.has(name)) return fail(`option '${name}' is given twice`);
      values.set(name, value);
    }
    if (values.size === 0 || (values.size === 1 && values.has('v'))) return { options: null, error: null };

    const options = { seed: null, chris: false, hard: false, enemies: false, modifiers: [], race: false, plando: '' };
    if (values.has('seed')) {
      options.seed = parseSeed(values.get('seed'));
      if (options.seed === null) {
        return fail(`seed '${values.get('seed')}' is not a whole number from 0 to 4294967295`);
      }
    }
    const character = lowerCase(values.get('character'));
    if (character === undefined) return fail('the character is missing (character=chris or character=jill)');
    if (character !== 'chris' && character !== 'jill') {
      return fail(`character '${character}' is neither chris nor jill`);
    }
    options.chris = character === 'chris';
    const difficulty = lowerCase(values.get('difficulty'));
    if (difficulty === undefined) return fail('the difficulty is missing (difficulty=normal or difficulty=hard)');
    if (difficulty !== 'normal' && difficulty !== 'hard') {
      return fail(`difficulty '${difficulty}' is neither normal nor hard`);
    }
    options.hard = difficulty === 'hard';
    if (values.has('enemies')) {
      const enemies = values.get('enemies');
      if (enemies !== '0' && enemies !== '1') return fail(`enemies '${enemies}' is neither 0 nor 1`);
      options.enemies = enemies === '1';
    }
    const modifiers = values.get('modifiers');
    if (modifiers !== undefined && modifiers !== '') {
      for (const item of modifiers.split(',')) {
        const number = /^[1-9]$/.test(item) ? Number(item) : 0;
        if (number < 1 || number > kModifierCount) {
          return fail(`modifier '${item}' is not a number from 1 to ${kModifierCount}`);
        }
        if (!options.modifiers.includes(number)) options.modifiers.push(number);
      }
      options.modifiers.sort((a, b) => a - b);
    }
    if (values.has('race')) {
      const race = values.get('race');
      if (race !== '0' && race !== '1') return fail(`race '${race}' is neither 0 nor 1`);
      options.race = race === '1';
      // A race's seed is drawn in secret, so nobody can make its cheat sheet.
      if (options.race && options.seed !== null) return fail('a race link carries no seed');
    }
    if (values.has('plando')) {
      const plando = decodePlando(values.get('plando'));
      if (plando.error) return fail(plando.error);
      options.plando = plando.text;
    }
    return { options, error: null };
  }

  // Names read as the console program reads them, in any case.
  function lowerCase(text) {
    return text === undefined ? undefined : text.toLowerCase();
  }

  function fail(reason) {
    return { options: null, error: `This link cannot be used: ${reason}.` };
  }

  // The query string of a run, "?v=1&seed=..." with the options that are
  // on; a race's link has no seed.
  function formatRunQuery(options) {
    let query = `?v=${kLinkVersion}&`;
    if (options.seed !== null && !options.race) query += `seed=${options.seed}&`;
    query += `character=${options.chris ? 'chris' : 'jill'}&difficulty=${options.hard ? 'hard' : 'normal'}`;
    if (options.enemies) query += '&enemies=1';
    if (options.modifiers.length > 0) query += `&modifiers=${options.modifiers.join(',')}`;
    if (options.race) query += '&race=1';
    if (options.plando) query += `&plando=${encodePlando(options.plando)}`;
    return query;
  }

  exports.parseSeed = parseSeed;
  exports.parseRunQuery = parseRunQuery;
  exports.formatRunQuery = formatRunQuery;
  exports.encodePlando = encodePlando;
})(typeof module === 'object' ? module.exports : (globalThis.MansionQuery = {}));
