// Runs a WASI command module under node, as ctest's emulator for the WebAssembly build:
// node wasi_run.mjs MODULE.wasm [ARGS...]. The module sees the host's files at their own paths and
// exits with its own status.
import { readFile } from 'node:fs/promises';
import process from 'node:process';
import { WASI } from 'node:wasi';

const [module, ...args] = process.argv.slice(2);
const wasi = new WASI({ version: 'preview1', args: [module, ...args], env: process.env, preopens: { '/': '/' },
                        returnOnExit: true });
const { instance } = await WebAssembly.instantiate(await readFile(module), { wasi_snapshot_preview1: wasi.wasiImport });
process.exitCode = wasi.start(instance);
