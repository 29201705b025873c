// Interoperability with node-pkware, an independent implementation of the
// implode format: its output must expand with ours and ours with its
// decoder, byte for byte. Driven through node-pkware's stream API.
//
//   node interop.mjs <implode_cli> <node-pkware folder> <corpus folder>
//
// Exits 0 when every case agrees, 1 on a mismatch, 77 (skipped) when
// node-pkware is not installed.
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { Readable } from 'node:stream';
import { pathToFileURL } from 'node:url';

const [cli, pkwareDir, corpusDir] = process.argv.slice(2);
const entry = path.join(pkwareDir ?? '', 'dist', 'index.js');
if (!cli || !corpusDir || !fs.existsSync(entry)) {
  console.log(`node-pkware not found at ${pkwareDir}: skipped`);
  process.exit(77);
}
if (!fs.existsSync(corpusDir)) {
  console.log(`test corpus not found: looked for the folder ${path.resolve(corpusDir)}`);
  process.exit(1);
}
const pkware = await import(pathToFileURL(entry).href);
const { through } = pkware.stream;

// Feeds `input` in 64 KiB chunks through a node-pkware transform and
// collects the output chunks.
function runTransform(handler, input) {
  return new Promise((resolve, reject) => {
    const chunks = [];
    const chunked = [];
    for (let at = 0; at < input.length; at += 65536) chunked.push(input.subarray(at, at + 65536));
    const transform = through(handler);
    transform.on('data', (chunk) => chunks.push(chunk));
    transform.on('end', () => resolve(Buffer.concat(chunks)));
    transform.on('error', reject);
    Readable.from(chunked).on('error', reject).pipe(transform);
  });
}

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'implode-interop-'));
function ours(...args) {
  const r = spawnSync(cli, args, { stdio: ['ignore', 'inherit', 'inherit'] });
  return r.status;
}

// Corpus slices, plus small inputs where stream ends and first copies meet.
// Inputs under three bytes are left out: node-pkware 5.1.0 cannot implode
// them (for one byte it writes seven stray zero bits after the literal, for
// two its stream API stops after the header), and its own decoder rejects
// those streams as ours does.
const slices = [
  ['text8m.txt', 1 << 20],
  ['html1m.html', 1 << 19],
  ['cmake8m.bin', 1 << 20],
  ['text8m.txt', 3],
  ['html1m.html', 17],
  ['cmake8m.bin', 300],
];
const settings = [
  ['binary', 4096, pkware.Compression.Binary, pkware.DictionarySize.Large],
  ['binary', 2048, pkware.Compression.Binary, pkware.DictionarySize.Medium],
  ['binary', 1024, pkware.Compression.Binary, pkware.DictionarySize.Small],
  ['ascii', 4096, pkware.Compression.Ascii, pkware.DictionarySize.Large],
];

let failures = 0;
let passes = 0;
function check(ok, what) {
  if (ok) {
    passes++;
  } else {
    failures++;
    console.log(`FAIL ${what}`);
  }
}

for (const [name, limit] of slices) {
  const input = fs.readFileSync(path.join(corpusDir, name)).subarray(0, limit);
  const inFile = path.join(work, 'input');
  fs.writeFileSync(inFile, input);
  for (const [mode, dict, compression, dictionary] of settings) {
    const what = `${name} ${mode} ${dict}`;

    const theirs = await runTransform(pkware.implode(compression, dictionary), input);
    const theirsFile = path.join(work, 'theirs.pk');
    fs.writeFileSync(theirsFile, theirs);
    const expandedFile = path.join(work, 'expanded');
    const status = ours('explode', theirsFile, expandedFile);
    check(status === 0 && fs.readFileSync(expandedFile).equals(input),
      `${what}: node-pkware's stream does not expand with ours (status ${status})`);

    const oursFile = path.join(work, 'ours.pk');
    const implodeStatus = ours('implode', mode, String(dict), inFile, oursFile);
    check(implodeStatus === 0, `${what}: our implode failed (status ${implodeStatus})`);
    const packed = fs.readFileSync(oursFile);
    let back;
    try {
      back = await runTransform(pkware.explode(), packed);
    } catch (error) {
      back = Buffer.from(`node-pkware error: ${error.message}`);
    }
    check(back.equals(input), `${what}: our stream does not expand with node-pkware`);
    console.log(`${what}: node-pkware ${theirs.length} bytes, ours ${packed.length} bytes`);
  }
}
fs.rmSync(work, { recursive: true, force: true });
console.log(`${passes} passed, ${failures} failed`);
process.exit(failures === 0 ? 0 : 1);
