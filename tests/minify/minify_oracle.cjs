#!/usr/bin/env node
// The parser oracle of the minifiers: reads the JSON lines of minify_pairs (or of the fuzz
// generator) and checks that every script parses with acorn to the same syntax tree before
// and after (positions, comments and the spelling of string and number literals aside: their
// values compare; "!0" and "!1" compare as true and false, and a property's name as its text
// whether written as a name, a string or a number), every JSON text to the same value, every style sheet and style attribute
// with css-tree to the same rules and declarations once the changes the minifier may make
// (colour spellings, number spellings, zero lengths, empty rules, white space of custom
// property values, font weights as numbers, attribute selector values without quotes) are
// normalised, and that other scripts are untouched.
//
//   node minify_oracle.cjs PAIRS.jsonl [NODE_MODULES] [--generated]
//
// With --generated (inputs of the fuzz generator) a script that acorn cannot read before is
// counted and skipped: the generator's random line ends and gaps make some programs invalid.
//
// Exit 0: all equal; 1: a difference (printed); 77: a test tool is missing (the test skips).
'use strict';
const fs = require('fs');
const path = require('path');

const [pairsFile, modules, mode] = process.argv.slice(2);
const generated = mode === '--generated';
let acorn, csstree;
try {
  acorn = require('/usr/share/nodejs/acorn');
  csstree = require(path.join(modules || '', 'css-tree'));
} catch (e) {
  console.log('SKIP: ' + e.message.split('\n')[0] + ' (scripts/install-deps.sh test)');
  process.exit(77);
}

// The colour keywords, read from the engine's own table so both sides use the same values.
const colourTable = fs.readFileSync(
  path.join(__dirname, '..', '..', 'engine', 'text', 'colour_names.h'), 'latin1');
const colourNames = new Map();
for (const m of colourTable.matchAll(/\{"([a-z]+)", "#([0-9A-F]{6})"\}/g))
  colourNames.set(m[1], m[2].toLowerCase());

const fromLatin1 = (s) => Buffer.from(s, 'latin1').toString('utf8');

// ---- scripts

// Node types whose non-computed key names a property: an identifier, a string and a number
// there name the same property by their text ({a: 1}, {"a": 1}; {1: 2}, {"1": 2}).
const keyedNodes = new Set(['Property', 'MethodDefinition', 'PropertyDefinition']);

function tree(source, sourceType) {
  const ast = acorn.parse(source, {ecmaVersion: 'latest', sourceType, allowHashBang: true,
                                   allowReturnOutsideFunction: true});
  return JSON.stringify(ast, function (key, value) {
    if (key === 'start' || key === 'end') return undefined;
    if (key === 'key' && keyedNodes.has(this.type) && !this.computed && value) {
      if (value.type === 'Identifier') return {type: 'Literal', value: value.name};
      if (value.type === 'Literal' && typeof value.value === 'number')
        return {type: 'Literal', value: String(value.value)};
    }
    // "!0" and "!1" are the values true and false.
    if (value && value.type === 'UnaryExpression' && value.operator === '!' &&
        value.argument.type === 'Literal' && (value.argument.value === 0 || value.argument.value === 1))
      return {type: 'Literal', value: value.argument.value === 0, raw: String(value.argument.value === 0)};
    // A string's or number's spelling is not its meaning: their values compare, the raw
    // text ("\u002F" or "/", 0.5 or .5) does not.
    if (key === 'raw' && this.type === 'Literal' &&
        (typeof this.value === 'string' || typeof this.value === 'number')) return undefined;
    if (typeof value === 'bigint') return value.toString() + 'n';
    return value;
  });
}

function checkScript(p, sourceType) {
  let before;
  try {
    before = tree(p.before, sourceType);
  } catch (e) {
    if (generated || p.after === p.before) return 'unparsed';
    return 'changed a script acorn cannot read: ' + e.message;
  }
  let after;
  try {
    after = tree(p.after, sourceType);
  } catch (e) {
    return 'minified script does not parse: ' + e.message;
  }
  return before === after ? 'same' : 'syntax trees differ';
}

function checkJson(p) {
  let before;
  try {
    before = JSON.stringify(JSON.parse(p.before));
  } catch (e) {
    return p.after === p.before ? 'unparsed' : 'changed text that is not JSON';
  }
  try {
    return JSON.stringify(JSON.parse(p.after)) === before ? 'same' : 'JSON values differ';
  } catch (e) {
    return 'minified JSON does not parse';
  }
}

// ---- style sheets

const lengthUnits = new Set(['px', 'em', 'rem', 'ex', 'ch', 'vw', 'vh', 'vmin', 'vmax', 'cm',
  'mm', 'in', 'pt', 'pc', 'q']);
const droppedWhenEmpty = new Set(['media', 'supports', 'document', 'container']);

function hexColour(text) {
  let h = text.toLowerCase();
  if (!/^[0-9a-f]+$/.test(h) || ![3, 4, 6, 8].includes(h.length)) return null;
  if (h.length <= 4) h = [...h].map((c) => c + c).join('');
  if (h.length === 8 && h.endsWith('ff')) h = h.slice(0, 6);
  return h;
}
function canonicalNumber(text, keepInteger) {
  const n = Number(text);
  if (!Number.isFinite(n) || /[eE]/.test(text)) return text;
  const s = String(n === 0 ? 0 : n);
  return keepInteger && text.includes('.') && Number.isInteger(n) ? s + '.0' : s;
}

// An opaque rgb()/rgba() of three whole numbers 0-255 with commas (and an alpha of 1 or 100%
// or none) is the hex colour of those numbers: its six hex digits, else null.
function opaqueRgb(fn) {
  const name = fn.name.toLowerCase();
  if (name !== 'rgb' && name !== 'rgba') return null;
  const parts = fn.children.toArray().filter((c) => c.type !== 'WhiteSpace');
  const values = parts.filter((c, k) => k % 2 === 0);
  if (!parts.every((c, k) => k % 2 === 0 || (c.type === 'Operator' && c.value === ',')) ||
      parts.length % 2 === 0 || (values.length !== 3 && values.length !== 4)) return null;
  const channels = values.slice(0, 3);
  if (!channels.every((c) => c.type === 'Number' && /^\d+$/.test(c.value) && Number(c.value) <= 255))
    return null;
  const alpha = values[3];
  if (alpha && !((alpha.type === 'Number' && alpha.value === '1') ||
                 (alpha.type === 'Percentage' && alpha.value === '100'))) return null;
  return channels.map((c) => Number(c.value).toString(16).padStart(2, '0')).join('');
}

function normaliseRaw(text) {
  return text.replace(/\/\*[^]*?\*\//g, ' ').replace(/\s+/g, ' ').trim()
    .replace(/ ?([;,:(){}!\/>+~]) ?/g, '$1')
    .replace(/#([0-9a-fA-F]+)\b/g, (m, h) => '#' + (hexColour(h) || h))
    .replace(/(^|[^\w.#-])([+-]?\d*\.\d+)(?![\w.])/g, (m, pre, n) => pre + canonicalNumber(n, true))
    .replace(/;$/, '');
}

const weightNumbers = {normal: '400', bold: '700'};

function normaliseCss(ast) {
  csstree.walk(ast, {
    enter(node, item, list) {
      // [a="b"] and [a=b] select alike where the value is an identifier.
      if (node.type === 'AttributeSelector' && node.value && node.value.type === 'String' &&
          /^-?[A-Za-z_][A-Za-z0-9_-]*$/.test(node.value.value))
        node.value = {type: 'Identifier', name: node.value.value};
      if (node.type === 'Declaration') {
        const prop = node.property.toLowerCase();
        if (prop.startsWith('--')) {
          if (node.value.type === 'Raw')
            node.value.value = node.value.value.replace(/\/\*[^]*?\*\//g, '')
              .replace(/\s+/g, ' ').trim();
          return csstree.walk.skip;
        }
        if (prop === 'filter' || prop === '-ms-filter') return csstree.walk.skip;
        const top = node.value.children;
        csstree.walk(node.value, (v, item, list) => {
          const rgb = list && v.type === 'Function' && opaqueRgb(v);
          if (rgb) {
            list.replace(item, list.createItem({type: 'Hash', value: rgb}));
          } else if (v.type === 'Hash') {
            const h = hexColour(v.value);
            if (h) v.value = h;
          } else if (v.type === 'Identifier' && colourNames.has(v.name.toLowerCase())) {
            // A colour name and its hex form compare equal.
            const hex = colourNames.get(v.name.toLowerCase());
            v.type = 'Hash';
            v.value = hex;
            delete v.name;
          } else if (v.type === 'Number') {
            v.value = canonicalNumber(v.value, true);
          } else if (v.type === 'Percentage' || v.type === 'Dimension') {
            v.value = canonicalNumber(v.value, false);
          }
        });
        // A font weight's keyword and its number are the same weight.
        if (top && prop.replace(/^-[a-z]+-/, '') === 'font-weight')
          top.forEach((v) => {
            if (v.type === 'Identifier' && weightNumbers[v.name.toLowerCase()]) {
              v.type = 'Number';
              v.value = weightNumbers[v.name.toLowerCase()];
              delete v.name;
            }
          });
        // A zero length at the top of a value may be written without its unit.
        if (top && !['flex', '-webkit-flex', '-ms-flex', 'flex-basis', 'line-height'].includes(prop))
          top.forEach((v) => {
            if (v.type === 'Dimension' && Number(v.value) === 0 &&
                lengthUnits.has(v.unit.toLowerCase())) {
              v.type = 'Number';
              v.value = '0';
              delete v.unit;
            }
          });
      }
    },
  });
  // Text css-tree keeps unparsed (a statement that is no declaration, such as "false;", a
  // var() fall-back, a prelude it cannot read) gets the same normalising as parsed values:
  // white space next to punctuation, hex colours and number spellings; a trailing ";" goes.
  csstree.walk(ast, (node) => {
    if (node.type === 'Raw') node.value = normaliseRaw(node.value);
  });
  // Empty rules go, so do "<!--" and "-->" at the top of a sheet.
  csstree.walk(ast, {
    leave(node, item, list) {
      if (list && (node.type === 'CDO' || node.type === 'CDC')) return list.remove(item);

      if (!list || !node.block) return;
      const empty = !node.block.children || node.block.children.isEmpty;
      if (empty && (node.type === 'Rule' ||
                    (node.type === 'Atrule' && droppedWhenEmpty.has(
                      csstree.keyword(node.name).basename))))
        list.remove(item);
    },
  });
  return csstree.generate(ast);
}

function css(text, context) {
  const errors = [];
  const ast = csstree.parse(fromLatin1(text), {context, parseCustomProperty: false,
    onParseError: (e) => errors.push(e.message)});
  return {text: normaliseCss(ast), errors};
}

function checkCss(p, context) {
  const before = css(p.before, context);
  const after = css(p.after, context);
  if (before.text === after.text) return 'same';
  let i = 0;
  while (before.text[i] === after.text[i]) ++i;
  return 'rules differ:\n    ' + JSON.stringify(before.text.slice(Math.max(0, i - 60), i + 60)) +
         '\n    ' + JSON.stringify(after.text.slice(Math.max(0, i - 60), i + 60));
}

// ---- main

const counts = {};
let failures = 0;
for (const line of fs.readFileSync(pairsFile, 'latin1').split('\n')) {
  if (!line) continue;
  const raw = JSON.parse(line);
  const p = {...raw, before: raw.before, after: raw.after};
  let outcome;
  switch (p.kind) {
    case 'script': outcome = checkScript({before: fromLatin1(p.before), after: fromLatin1(p.after)}, 'script'); break;
    case 'module': outcome = checkScript({before: fromLatin1(p.before), after: fromLatin1(p.after)}, 'module'); break;
    case 'json': outcome = checkJson({before: fromLatin1(p.before), after: fromLatin1(p.after)}); break;
    case 'style': outcome = checkCss(p, 'stylesheet'); break;
    case 'style-attribute': outcome = checkCss(p, 'declarationList'); break;
    default: outcome = p.after === p.before ? 'same' : 'changed a script of another type';
  }
  const key = p.kind + ': ' + (outcome === 'same' || outcome === 'unparsed' ? outcome : 'DIFFERENT');
  counts[key] = (counts[key] || 0) + 1;
  if (outcome !== 'same' && outcome !== 'unparsed') {
    ++failures;
    if (failures <= 20) {
      console.log(`FAIL ${p.page} ${p.kind} ${p.type}: ${outcome}`);
      console.log('  before: ' + JSON.stringify(fromLatin1(p.before).slice(0, 300)));
      console.log('  after:  ' + JSON.stringify(fromLatin1(p.after).slice(0, 300)));
    }
  }
}
for (const key of Object.keys(counts).sort()) console.log(`${key}: ${counts[key]}`);
process.exit(failures ? 1 : 0);
