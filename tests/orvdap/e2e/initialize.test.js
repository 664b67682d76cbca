'use strict';
// orvdap driven by the Debug Adapter Protocol test client, as an editor drives it. ORVDAP_EXECUTABLE names
// the adapter to start; without it every test here is skipped.
const assert = require('assert');
const { DebugClient } = require('@vscode/debugadapter-testsupport');

const adapter = process.env.ORVDAP_EXECUTABLE;

describe('orvdap', function () {
  let dc;

  beforeEach(function () {
    dc = undefined;
    if (!adapter) {
      this.skip();
    }
    // The client starts RUNTIME with one argument: orvdap takes --stdio, its default made explicit.
    dc = new DebugClient(adapter, '--stdio', 'orven', undefined, true);
    return dc.start();
  });

  afterEach(function () {
    return dc ? dc.stop() : undefined;
  });

  it('answers initialize with its capabilities', async function () {
    const response = await dc.initializeRequest();
    assert.strictEqual(response.success, true);
    assert.strictEqual(response.command, 'initialize');
    assert.strictEqual(typeof response.body, 'object');
    assert.strictEqual(response.body.supportsTerminateRequest, true);
  });

  it('refuses a request it does not know with a message, and stays up', async function () {
    await dc.initializeRequest();
    await assert.rejects(dc.send('orvenNoSuchRequest', {}), /orvenNoSuchRequest/);
    const again = await dc.initializeRequest();
    assert.strictEqual(again.success, true);
  });
});
