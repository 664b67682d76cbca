#!/usr/bin/env node
// Checks the VS Code extension package: the files it holds and the manifest inside it (the debugger type,
// the launch attributes editors' launch files use, the adapter setting, the VS Code versions it runs on).
//   node scripts/check-vsix.js FILE.vsix VERSION
'use strict';
const { execFileSync } = require('child_process');

const [vsix, version] = process.argv.slice(2);
const problems = [];
const expect = (ok, what) => { if (!ok) problems.push(what); };

const listing = execFileSync('unzip', ['-Z1', vsix], { encoding: 'utf8' }).split('\n').filter(Boolean);
for (const file of ['extension.vsixmanifest', 'extension/package.json', 'extension/extension.js',
                    'extension/snippets/sdcc-c.json', 'extension/README.md', 'extension/LICENSE.txt']) {
  expect(listing.includes(file), `${file} is missing`);
}
expect(!listing.some((f) => f.includes('node_modules/')), 'node_modules went into the package');

const manifest = JSON.parse(execFileSync('unzip', ['-p', vsix, 'extension/package.json'], { encoding: 'utf8' }));
expect(manifest.name === 'orven-debug' && manifest.publisher === 'orven', 'name or publisher changed');
expect(manifest.version === version, `version ${manifest.version}, the programs are ${version}`);
expect(/^\^1\.\d+\.\d+$/.test((manifest.engines || {}).vscode || ''), 'engines.vscode is not ^1.x.y');
expect(listing.includes('extension/' + (manifest.main || '').replace(/^\.\//, '')), 'main is not in the package');

const contributes = manifest.contributes || {};
const debuggers = (contributes.debuggers || []).filter((d) => d.type === 'orven');
expect(debuggers.length === 1, 'no debugger of type orven');
const debug = debuggers[0] || {};
const launch = ((debug.configurationAttributes || {}).launch) || {};
const properties = launch.properties || {};
const keys = ['program', 'cdb', 'device', 'options', 'stopOnEntry', 'answer', 'download'];
expect(JSON.stringify(Object.keys(properties).sort()) === JSON.stringify([...keys].sort()),
       `launch attributes are ${Object.keys(properties).join(', ')}`);
for (const key of keys) {
  const p = properties[key] || {};
  expect(typeof p.description === 'string' && p.description.length > 0, `${key} has no description`);
  expect('default' in p, `${key} has no default`);
}
expect(properties.device && properties.device.default === 'sim', 'device does not default to sim');
expect(properties.answer && JSON.stringify(properties.answer.enum) === '["yes","no"]', 'answer is not yes|no');
expect((launch.required || []).includes('program'), 'program is not required');
const initial = debug.initialConfigurations || [];
const snippets = debug.configurationSnippets || [];
expect(initial.length > 0 && initial.every((c) => c.type === 'orven' && c.request === 'launch'),
       'no starting launch configuration of type orven');
expect(snippets.length > 0 && snippets.every((s) => s.body && s.body.type === 'orven'), 'no configuration snippets');
expect(((contributes.breakpoints || []).map((b) => b.language)).includes('c'), 'no breakpoints in C files');
const setting = ((contributes.configuration || {}).properties || {})['orven.orvdapPath'] || {};
expect(setting.default === 'orvdap', 'orven.orvdapPath does not default to orvdap on the PATH');

if (problems.length) {
  for (const p of problems) console.error(`vsix check: ${p}`);
  process.exit(1);
}
console.log(`vsix check: ${vsix}: ${listing.length} files, debugger orven with ${keys.length} launch attributes`);
