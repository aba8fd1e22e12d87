// Times the Node peers in one process: each page once to check and size the result, then
// repeated runs, printing one tab-separated line per page in tsqz_bench's --tsv form:
//   page <name> <settings> <in bytes> <out bytes> <code> <median seconds per run>
// (code 0, or 1 when the minifier threw; the output then counts as the input).
//
// usage: node peers_loop.cjs PREFIX TOOL SETTINGS REPS MIN_MS PAGE...
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

// A function from the page's bytes to the result's length in bytes. The Rust minifier takes
// the bytes; the JavaScript one takes a string, decoded as UTF-8 as a site's build would.
function loadMinifier(prefix, tool) {
  const lib = require(path.join(prefix, 'node_modules', tool));
  if (tool === '@minify-html/node') {
    return (bytes) => async (cfg) => lib.minify(bytes, cfg).length;
  }
  return (bytes) => {
    const text = bytes.toString('utf8');
    return async (cfg) => Buffer.byteLength(await lib.minify(text, cfg), 'utf8');
  };
}

const kBudgetSeconds = 3;  // per page and setting, after the first repetition

function median(values) {
  const v = [...values].sort((a, b) => a - b);
  const mid = Math.floor(v.length / 2);
  return v.length % 2 ? v[mid] : (v[mid - 1] + v[mid]) / 2;
}

async function main() {
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
    const run = prepare(bytes);
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
