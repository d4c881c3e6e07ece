// ship_program: writes lm_simulator.js as the page ships it: the program's
// runtime as the compiler wrote it, then its WebAssembly module deflated
// and in base64, as lm_program_wasm, for program_loader.js to inflate.
//   node ship_program.mjs RUNTIME_JS MODULE_WASM DESTINATION

import fs from 'node:fs';
import zlib from 'node:zlib';

const [runtime, module, destination] = process.argv.slice(2);
const deflated = zlib.deflateRawSync(fs.readFileSync(module), {level: 9});
fs.writeFileSync(destination, `${fs.readFileSync(runtime, 'utf8')}\n` +
    `const lm_program_wasm = '${deflated.toString('base64')}';\n`);
