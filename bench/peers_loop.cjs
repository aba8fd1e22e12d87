// Times the Node peers in one process: each page once to check and size the result, then
// repeated runs, printing one tab-separated line per page in tsqz_bench's --tsv form:
//   page <name> <settings> <in bytes> <out bytes> <code> <median seconds per run>
// (code 0, or 1 when the minifier threw; the output then counts as the input).
// With --write DIR it only writes each page's result into DIR under the page's name (nothing
// for a page the minifier threw on), for the render comparison (scripts/render-peers.sh).
//
// usage: node peers_loop.cjs PREFIX TOOL SETTINGS REPS MIN_MS PAGE...
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

const kBudgetSeconds = 3;  // per page and setting, after the first repetition

function median(values) {
  const v = [...values].sort((a, b) => a - b);
  const mid = Math.floor(v.length / 2);
  return v.length % 2 ? v[mid] : (v[mid - 1] + v[mid]) / 2;
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
  const [prefix, tool, settingsName, repsText, minMsText, ...pages] = process.argv.slice(2);
  const cfg = (kSettings[tool] || {})[settingsName];
  if (!cfg || pages.length === 0) {
    console.error('usage: node peers_loop.cjs PREFIX TOOL SETTINGS REPS MIN_MS PAGE...');
    process.exit(2);
  }
  const reps = Math.max(1, parseInt(repsText, 10));
  const minSeconds = Math.max(0, parseFloat(minMsText) / 1e3);
  const prepare = loadMinifier(prefix, tool);
  for (const page of pages) {
    const bytes = fs.readFileSync(page);
    const inBytes = bytes.length;
    const run = prepare(bytes).length;
    let outBytes = inBytes;
    let code = 0;
    const checkStart = process.hrtime.bigint();
    try {
      outBytes = await run(cfg);
    } catch (e) {
      code = 1;
    }
    const checkSeconds = Number(process.hrtime.bigint() - checkStart) / 1e9;
    let seconds = 0;
    if (code === 0) {
      const runs = Math.max(1, Math.ceil(minSeconds / Math.max(checkSeconds, 1e-7)));
      const perRun = [];
      const budgetEnd = process.hrtime.bigint() + BigInt(Math.round(kBudgetSeconds * 1e9));
      // A slow minifier gets fewer repetitions (at least one) within the budget per page.
      for (let r = 0; r < reps && (r === 0 || process.hrtime.bigint() < budgetEnd); ++r) {
        const start = process.hrtime.bigint();
        for (let i = 0; i < runs; ++i) await run(cfg);
        perRun.push(Number(process.hrtime.bigint() - start) / 1e9 / runs);
      }
      seconds = median(perRun);
    }
    console.log(['page', path.basename(page), settingsName, inBytes, outBytes, code,
                 seconds.toFixed(9)].join('\t'));
  }
}

main().catch((e) => {
  console.error(e);
  process.exit(1);
});
