// Starts orvdap, the 8051 debug adapter, for debug sessions of type "orven", and fills in a launch
// configuration when F5 is pressed in a C or assembler file without a launch.json.
'use strict';

const os = require('os');
const path = require('path');
const vscode = require('vscode');

const kType = 'orven';
const kDefaultAdapter = 'orvdap';

// The adapter to start: the setting's path (a leading ~ and ${workspaceFolder} are expanded), or orvdap on
// the PATH.
function adapterPath(folder) {
  let configured = vscode.workspace.getConfiguration('orven', folder).get('orvdapPath') || kDefaultAdapter;
  configured = configured.trim() || kDefaultAdapter;
  if (configured.startsWith('~/')) {
    configured = path.join(os.homedir(), configured.slice(2));
  }
  if (folder) {
    configured = configured.replace(/\$\{workspaceFolder\}/g, folder.uri.fsPath);
  }
  return configured;
}

class AdapterFactory {
  createDebugAdapterDescriptor(session) {
    return new vscode.DebugAdapterExecutable(adapterPath(session.workspaceFolder), []);
  }
}

class ConfigurationProvider {
  // F5 without a launch.json arrives as an empty configuration: debug the HEX file of the open source file's
  // name in the workspace's build folder, stopping at the entry.
  resolveDebugConfiguration(folder, config) {
    if (!config.type && !config.request && !config.name) {
      const editor = vscode.window.activeTextEditor;
      if (!editor || !['c', 'asm8051'].includes(editor.document.languageId)) {
        return config;
      }
      const base = path.basename(editor.document.fileName).replace(/\.[^.]*$/, '');
      config.type = kType;
      config.request = 'launch';
      config.name = 'Debug on the 8051 simulator';
      config.program = '${workspaceFolder}/build/' + base + '.ihx';
      config.device = 'sim';
      config.stopOnEntry = true;
    }
    if (!config.program) {
      return vscode.window
        .showErrorMessage('Set "program" in the launch configuration to the .hex or .ihx file to debug.')
        .then(() => undefined);
    }
    return config;
  }
}

function activate(context) {
  context.subscriptions.push(
    vscode.debug.registerDebugAdapterDescriptorFactory(kType, new AdapterFactory()),
    vscode.debug.registerDebugConfigurationProvider(kType, new ConfigurationProvider()));
}

function deactivate() {}

module.exports = { activate, deactivate, adapterPath };
