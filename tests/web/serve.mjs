// scripts/serve, which every browser test serves the page with, asked as
// browsers ask: each file of a first visit with brotli, with gzip and with
// neither, decoded back to the very bytes of the build; its type, Vary and
// the answer for a file unchanged since. Prints the first visit's download
// in each form. Usage: node serve.mjs PAGE-FOLDER
import assert from 'node:assert/strict';
import http from 'node:http';
import { existsSync } from 'node:fs';
import { readFile } from 'node:fs/promises';
import { join } from 'node:path';
import { brotliDecompressSync, gunzipSync } from 'node:zlib';
import { serve } from './page.mjs';

const folder = process.argv[2];
let site;
const get = (path, headers) => new Promise((resolve, reject) => {
  const { hostname, port } = new URL(site.origin);
  const request = http.get({ hostname, port, path, headers }, (response) => {
    const chunks = [];
    response.on('data', (chunk) => chunks.push(chunk));
    response.on('end', () => resolve({ status: response.statusCode, headers: response.headers, body: Buffer.concat(chunks) }));
  });
  request.setTimeout(30000, () => request.destroy(new Error(`no answer for ${path} in 30 s`)));
  request.on('error', reject);
});

// What a first visit downloads: the worker's own list, and the worker.
const worker = await readFile(join(folder, 'sw.js'), 'utf8');
const files = [...JSON.parse(worker.match(/const files = (\[[^\]]*\])/)[1].replace(/,\s*\]$/, ']')), 'sw.js'];
const types = { '.wasm': 'application/wasm', '.webmanifest': 'application/manifest+json', '.js': 'text/javascript; charset=utf-8', '.html': 'text/html; charset=utf-8' };
site = await serve(folder);
try {
  const totals = {};
  for (const [accept, decode] of [['br, gzip, deflate', brotliDecompressSync], ['gzip', gunzipSync], ['identity', (b) => b]]) {
    let sum = 0;
    for (const name of files) {
      const raw = await readFile(join(folder, name));
      const { status, headers, body } = await get(`/${name}`, { 'Accept-Encoding': accept });
      assert.equal(status, 200, name);
      // The build writes the compressed forms of the files that gain by them.
      const form = { 'br, gzip, deflate': 'br', gzip: 'gz' }[accept];
      const encoding = form && existsSync(join(folder, `${name}.${form}`)) ? { br: 'br', gz: 'gzip' }[form] : undefined;
      assert.equal(headers['content-encoding'], encoding, `${name} asked with ${accept}`);
      assert.equal(headers.vary, 'Accept-Encoding', name);
      assert.doesNotMatch(headers['cache-control'] ?? '', /max-age|immutable/, name);
      const type = types[name.slice(name.lastIndexOf('.'))];
      if (type) assert.equal(headers['content-type'], type, name);
      assert.ok((encoding ? decode(body) : body).equals(raw), `${name} asked with ${accept} is not the build's`);
      sum += body.length;
    }
    totals[accept.split(',')[0]] = sum;
  }
  const unchanged = await get('/simatoplektis.wasm', { 'Accept-Encoding': 'br', 'If-Modified-Since': new Date(Date.now() + 60000).toUTCString() });
  assert.equal(unchanged.status, 304);
  assert.equal(unchanged.body.length, 0);
  // Nothing outside the folder, however the path climbs.
  assert.equal((await get('/../../../../../../etc/hostname', {})).status, 404);
  assert.equal((await get('/', { 'Accept-Encoding': 'br' })).headers['content-type'], types['.html']);
  const mb = (n) => `${(n / 1e6).toFixed(2)} MB`;
  console.log(`ok: scripts/serve; a first visit downloads ${mb(totals.identity)} raw, ${mb(totals.gzip)} with gzip, ${mb(totals.br)} with brotli`);
} catch (error) {
  console.error(`FAIL: scripts/serve: ${error.message}`);
  process.exitCode = 1;
} finally {
  await site.close();
}
