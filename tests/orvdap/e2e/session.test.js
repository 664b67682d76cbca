'use strict';
// A debug session as an editor holds it, through the DAP test client: orvdap against the simulated emulator
// on an SDCC program compiled here. Skipped without ORVDAP_EXECUTABLE or without sdcc.
const assert = require('assert');
const cp = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { DebugClient } = require('@vscode/debugadapter-testsupport');

const adapter = process.env.ORVDAP_EXECUTABLE;
const source = path.join(__dirname, '..', 'programs', 'blinker.c');

// Compiles the program with sdcc --debug; its .ihx path and its symbols from the linker map, or null.
function buildProgram() {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'orvdap-e2e-'));
  const built = cp.spawnSync('sdcc', ['-mmcs51', '--debug', '-o', dir + '/', source], { encoding: 'utf8' });
  if (built.error || built.status !== 0) {
    return null;
  }
  const symbols = {};
  const map = fs.readFileSync(path.join(dir, 'blinker.map'), 'utf8');
  for (const m of map.matchAll(/^\s*[CD]:\s+([0-9A-Fa-f]{8})\s+(_\w+)/gm)) {
    symbols[m[2]] = parseInt(m[1], 16);
  }
  return { dir, ihx: path.join(dir, 'blinker.ihx'), symbols };
}

function hex4(n) {
  return n.toString(16).toUpperCase().padStart(4, '0');
}

describe('orvdap session on the simulator', function () {
  let dc;
  let program;

  before(function () {
    program = adapter ? buildProgram() : null;
    if (!program) {
      this.skip();
    }
  });

  after(function () {
    if (program) {
      fs.rmSync(program.dir, { recursive: true, force: true });
    }
  });

  beforeEach(function () {
    // The pod and the driver's waits in virtual time: runs cost no wall-clock time.
    const env = Object.assign({}, process.env, { ORVEN_SIM_VIRTUAL: '1' });
    dc = new DebugClient(adapter, '--stdio', 'orven', { env }, true);
    return dc.start();
  });

  afterEach(function () {
    return dc ? dc.stop() : undefined;
  });

  it('breaks, shows registers and memory, pauses an endless loop, continues and terminates', async function () {
    const tick = 'C:0x' + hex4(program.symbols._tick);
    const initialized = dc.waitForEvent('initialized');
    const launched = await dc.launch({
      program: program.ihx, device: 'sim', options: '-E1 -F16 -V0 -C0', answer: 'yes', stopOnEntry: false,
    });
    assert.strictEqual(launched.success, true);
    await initialized;

    const set = await dc.customRequest('setInstructionBreakpoints', { breakpoints: [{ instructionReference: tick }] });
    assert.strictEqual(set.body.breakpoints[0].verified, true);
    let stopped = dc.waitForEvent('stopped');
    await dc.configurationDoneRequest();
    let event = await stopped;
    assert.strictEqual(event.body.reason, 'instruction breakpoint');
    assert.deepStrictEqual(event.body.hitBreakpointIds, [set.body.breakpoints[0].id]);

    const trace = await dc.stackTraceRequest({ threadId: 1 });
    assert.strictEqual(trace.body.stackFrames[0].instructionPointerReference, tick);
    const scopes = await dc.scopesRequest({ frameId: trace.body.stackFrames[0].id });
    const registersScope = scopes.body.scopes.find(s => s.name === 'Registers');
    assert.ok(registersScope, JSON.stringify(scopes.body));
    const registers = await dc.variablesRequest({ variablesReference: registersScope.variablesReference, format: { hex: true } });
    const value = name => registers.body.variables.find(v => v.name === name).value;
    assert.strictEqual(value('PC'), '0x' + hex4(program.symbols._tick));
    assert.strictEqual(value('B'), '0x5A');

    const memory = await dc.customRequest('readMemory', { memoryReference: 'X:0x' + hex4(program.symbols._pattern), count: 8 });
    assert.deepStrictEqual([...Buffer.from(memory.body.data, 'base64')], [0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77]);

    // Without the breakpoint the loop runs for ever; the pause button stops it while the go waits.
    await dc.customRequest('setInstructionBreakpoints', { breakpoints: [] });
    await dc.continueRequest({ threadId: 1 });
    stopped = dc.waitForEvent('stopped');
    await dc.pauseRequest({ threadId: 1 });
    event = await stopped;
    assert.strictEqual(event.body.reason, 'pause');

    await dc.continueRequest({ threadId: 1 });
    const terminated = dc.waitForEvent('terminated');
    await dc.terminateRequest();
    await terminated;
  });
});
