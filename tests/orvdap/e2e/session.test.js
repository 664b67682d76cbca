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

const debuggeeSource = path.join(__dirname, '..', '..', 'debuginfo', 'programs', 'debuggee.c');

// Compiles the program with sdcc --debug; its .ihx path and its symbols from the linker map, or null.
function buildProgram(file = source) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'orvdap-e2e-'));
  const built = cp.spawnSync('sdcc', ['-mmcs51', '--debug', '-o', dir + '/', file], { encoding: 'utf8' });
  if (built.error || built.status !== 0) {
    return null;
  }
  const name = path.basename(file, '.c');
  const symbols = {};
  const map = fs.readFileSync(path.join(dir, name + '.map'), 'utf8');
  for (const m of map.matchAll(/^\s*[CD]:\s+([0-9A-Fa-f]{8})\s+(_\w+)/gm)) {
    symbols[m[2]] = parseInt(m[1], 16);
  }
  return { dir, ihx: path.join(dir, name + '.ihx'), symbols };
}

function hex4(n) {
  return n.toString(16).toUpperCase().padStart(4, '0');
}

describe('orvdap session on the simulator', function () {
  let dc;
  let program;
  let debuggee;

  before(function () {
    program = adapter ? buildProgram() : null;
    debuggee = program ? buildProgram(debuggeeSource) : null;
    if (!program || !debuggee) {
      this.skip();
    }
  });

  after(function () {
    for (const p of [program, debuggee]) {
      if (p) {
        fs.rmSync(p.dir, { recursive: true, force: true });
      }
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

  it('debugs at C level: a line breakpoint, frames, values, steps, setVariable, memory, disassembly, conditions and a logpoint', async function () {
    const src = { name: 'debuggee.c', path: debuggeeSource };
    const initialized = dc.waitForEvent('initialized');
    const output = [];
    dc.on('output', e => output.push(e.body.output));
    const launched = await dc.launch({
      program: debuggee.ihx, device: 'sim', options: '-E1 -F16 -V0 -C0', answer: 'yes', stopOnEntry: false,
    });
    assert.strictEqual(launched.success, true);
    await initialized;
    assert.ok(output.some(o => o.startsWith('orvdap: debug information from ')), output.join(''));

    // level3's first statement.
    const set = await dc.setBreakpointsRequest({ source: src, breakpoints: [{ line: 61 }] });
    assert.strictEqual(set.body.breakpoints[0].verified, true);
    assert.strictEqual(set.body.breakpoints[0].line, 61);
    let stopped = dc.waitForEvent('stopped');
    await dc.configurationDoneRequest();
    let event = await stopped;
    assert.strictEqual(event.body.reason, 'breakpoint');
    assert.deepStrictEqual(event.body.hitBreakpointIds, [set.body.breakpoints[0].id]);

    const trace = await dc.stackTraceRequest({ threadId: 1 });
    const frames = trace.body.stackFrames.map(f => [f.name, f.source && f.source.name, f.line]);
    assert.deepStrictEqual(frames.slice(0, 4), [
      ['level3', 'debuggee.c', 61], ['level2', 'debuggee.c', 66], ['level1', 'debuggee.c', 75], ['main', 'debuggee.c', 94],
    ]);
    const scopes = await dc.scopesRequest({ frameId: trace.body.stackFrames[0].id });
    assert.deepStrictEqual(scopes.body.scopes.map(s => s.name), ['Locals', 'Globals', 'Registers', 'Special function registers']);
    const locals = await dc.variablesRequest({ variablesReference: scopes.body.scopes[0].variablesReference });
    assert.deepStrictEqual(locals.body.variables.map(v => v.name).sort(), ['x', 'y']);
    const globals = await dc.variablesRequest({ variablesReference: scopes.body.scopes[1].variablesReference });
    const packet = globals.body.variables.find(v => v.name === 'packet');
    assert.strictEqual(packet.value, '{len = 3, kind = 2, stamp = 100000}');
    const members = await dc.variablesRequest({ variablesReference: packet.variablesReference });
    assert.deepStrictEqual(members.body.variables.map(v => [v.name, v.value]), [['len', "3 '\\003'"], ['kind', '2'], ['stamp', '100000']]);

    const evaluated = await dc.evaluateRequest({ expression: 'packet.kind * 10 + packet.len', context: 'watch', frameId: 1 });
    assert.strictEqual(evaluated.body.result, '23');

    const step = async (request, line, name) => {
      const next = dc.waitForEvent('stopped');
      await request({ threadId: 1 });
      assert.strictEqual((await next).body.reason, 'step');
      const top = (await dc.stackTraceRequest({ threadId: 1 })).body.stackFrames[0];
      assert.deepStrictEqual([top.name, top.line], [name, line]);
      return top;
    };
    await step(a => dc.nextRequest(a), 62, 'level3');
    await step(a => dc.stepOutRequest(a), 66, 'level2');
    await step(a => dc.nextRequest(a), 67, 'level2');

    // r = level3(9) = 28; set to 40 and read back.
    const outScopes = await dc.scopesRequest({ frameId: 1 });
    const outLocals = outScopes.body.scopes[0].variablesReference;
    await dc.variablesRequest({ variablesReference: outLocals });
    const changed = await dc.setVariableRequest({ variablesReference: outLocals, name: 'r', value: '40' });
    assert.strictEqual(changed.body.value, '40');
    const again = await dc.variablesRequest({ variablesReference: outLocals });
    assert.strictEqual(again.body.variables.find(v => v.name === 'r').value, '40');
    const top = await step(a => dc.stepInRequest(a), 68, 'level2');

    const memory = await dc.customRequest('readMemory', { memoryReference: 'X:0x' + hex4(debuggee.symbols._packet), count: 3 });
    assert.deepStrictEqual([...Buffer.from(memory.body.data, 'base64')], [3, 2, 0]);
    const dis = await dc.customRequest('disassemble', { memoryReference: top.instructionPointerReference, instructionCount: 3 });
    assert.strictEqual(dis.body.instructions.length, 3);
    assert.strictEqual(dis.body.instructions[0].address, top.instructionPointerReference);
    assert.strictEqual(dis.body.instructions[0].line, 68);

    // A logpoint prints total (level1 now returns 80) and the run goes on; a condition that never holds lets
    // the program pass; one that holds stops it in the endless loop.
    const both = await dc.setBreakpointsRequest({
      source: src,
      breakpoints: [{ line: 96, logMessage: 'total={total}' }, { line: 99, condition: 'pbyte == 9' }, { line: 110, condition: 'dcount == 4' }],
    });
    assert.deepStrictEqual(both.body.breakpoints.map(b => b.verified), [true, true, true]);
    stopped = dc.waitForEvent('stopped');
    await dc.continueRequest({ threadId: 1 });
    event = await stopped;
    assert.strictEqual(event.body.reason, 'breakpoint');
    assert.deepStrictEqual(event.body.hitBreakpointIds, [both.body.breakpoints[2].id]);
    assert.ok(output.includes('total=80\n'), output.join(''));

    const terminated = dc.waitForEvent('terminated');
    await dc.terminateRequest();
    await terminated;
  });
});
