// Times the Node peers in one process that stays up while compare_peers times every tool in
// rounds. It first runs each page once to check and size the result and prints one
// tab-separated line per page in tsqz_bench's --tsv form, then "ready":
//   page <name> <settings> <in bytes> <out bytes> <code> 0
// (code 0, or 1 when the minifier threw; the output then counts as the input). Then each line
// read from standard input names the pages (by 0-based index, space-separated) to time once
// in this round; it answers one line per page and then "done":
//   time <index> <seconds per run> <seconds spent>
// A small page runs as often as needed to last MIN_MS and the time is divided.
// With --write DIR it only writes each page's result into DIR under the page's name (nothing
// for a page the minifier threw on), for the render comparison (scripts/render-peers.sh).
//
// usage: node peers_loop.cjs PREFIX TOOL SETTINGS MIN_MS PAGE...
//        node peers_loop.cjs --write DIR PREFIX TOOL SETTINGS PAGE...
'use strict';
const fs = require('fs');
const path = require('path');

// Settings per peer, as documented in docs/benchmarks.md.
const kTerserMarkup = {
  collapseWhitespace: true,
  removeComments: true,
  removeAttributeQuotes: true,
  removeOptionalTags: true,
  removeRedundantAttributes: true,
  removeEmptyAttributes: true,
  collapseBooleanAttributes: true,
  useShortDoctype: true,
  decodeEntities: true,
};
const kSettings = {
  'html-minifier-terser': {
    markup: kTerserMarkup,
    'markup+css+js': {...kTerserMarkup, minifyCSS: true, minifyJS: true},
  },
  '@minify-html/node': {
    markup: {},
    'markup+css+js': {minify_css: true, minify_js: true},
  },
};

// The encoding the JavaScript minifier's text is read and written in: UTF-8, as a site's
// build reads it, unless the page is not UTF-8 (an older page in a single-byte encoding);
// then Latin-1, which gives every byte back as it was.
function textEncoding(bytes) {
  try {
    new TextDecoder('utf-8', {fatal: true}).decode(bytes);
    return 'utf8';
  } catch (e) {
    return 'latin1';
  }
}

// A function from the page's bytes to a minifier run: `length` (bytes of the result, what
// is timed) and `bytes` (the result itself). The Rust minifier takes the bytes; the JavaScript
// one a string.
function loadMinifier(prefix, tool) {
  const lib = require(path.join(prefix, 'node_modules', tool));
  if (tool === '@minify-html/node') {
    return (bytes) => ({
      length: async (cfg) => lib.minify(bytes, cfg).length,
      bytes: async (cfg) => lib.minify(bytes, cfg),
    });
  }
  return (bytes) => {
    const encoding = textEncoding(bytes);
    const text = bytes.toString(encoding);
    return {
      length: async (cfg) => Buffer.byteLength(await lib.minify(text, cfg), encoding),
      bytes: async (cfg) => Buffer.from(await lib.minify(text, cfg), encoding),
    };
  };
}

async function writeResults(dir, prefix, tool, cfg, pages) {
  const prepare = loadMinifier(prefix, tool);
  fs.mkdirSync(dir, {recursive: true});
  for (const page of pages) {
    try {
      const result = await prepare(fs.readFileSync(page)).bytes(cfg);
      fs.writeFileSync(path.join(dir, path.basename(page)), result);
    } catch (e) {
      console.error(`${tool}: ${path.basename(page)}: ${String(e).split('\n')[0]}`);
    }
  }
}

async function main() {
  if (process.argv[2] === '--write') {
    const [dir, prefix, tool, settingsName, ...pages] = process.argv.slice(3);
    const cfg = (kSettings[tool] || {})[settingsName];
    if (!cfg || pages.length === 0) {
      console.error('usage: node peers_loop.cjs --write DIR PREFIX TOOL SETTINGS PAGE...');
      process.exit(2);
    }
    return writeResults(dir, prefix, tool, cfg, pages);
  }
  const [prefix, tool, settingsName, minMsText, ...pages] = process.argv.slice(2);
  const cfg = (kSettings[tool] || {})[settingsName];
  if (!cfg || pages.length === 0) {
    console.error('usage: node peers_loop.cjs PREFIX TOOL SETTINGS MIN_MS PAGE...');
    process.exit(2);
  }
  const minSeconds = Math.max(0, parseFloat(minMsText) / 1e3);
  const prepare = loadMinifier(prefix, tool);
  const runs = [];  // per page: the minifier runs per timing, 0 when it threw
  for (const page of pages) {
    const bytes = fs.readFileSync(page);
    const run = prepare(bytes).length;
    let outBytes = bytes.length;
    let code = 0;
    const checkStart = process.hrtime.bigint();
    try {
      outBytes = await run(cfg);
    } catch (e) {
      code = 1;
    }
    const checkSeconds = Number(process.hrtime.bigint() - checkStart) / 1e9;
    runs.push({run, count: code ? 0 : Math.max(1, Math.ceil(minSeconds / Math.max(checkSeconds, 1e-7)))});
    console.log(['page', path.basename(page), settingsName, bytes.length, outBytes, code, 0].join('\t'));
  }
  console.log('ready');
  const lines = require('readline').createInterface({input: process.stdin});
  for await (const line of lines) {
    for (const word of line.split(' ').filter((w) => w !== '')) {
      const index = parseInt(word, 10);
      const {run, count} = runs[index];
      const start = process.hrtime.bigint();
      for (let i = 0; i < count; ++i) await run(cfg);
      const spent = Number(process.hrtime.bigint() - start) / 1e9;
      console.log(['time', index, (count ? spent / count : 0).toFixed(9), spent.toFixed(9)].join('\t'));
    }
    console.log('done');
  }
}

main().catch((e) => {
  console.error(e);
  process.exit(1);
});
