// Writes the scene the program gives (ox_scene) as a script for the page, which then
// compiles its shaders while the program is still on its way.
//   node scene_script.js PROGRAM_JS OUT_JS
'use strict';

const fs = require('fs');
const path = require('path');

const [program, out] = process.argv.slice(2);
if (!program || !out) {
  console.error('usage: node scene_script.js PROGRAM_JS OUT_JS');
  process.exit(2);
}
const createOrvex = require(path.resolve(program));
createOrvex({ wasmBinary: fs.readFileSync(program.replace(/\.js$/, '.wasm')) }).then((M) => {
  const scene = JSON.stringify(JSON.parse(M.UTF8ToString(M._ox_scene(M._ox_create()))));
  fs.writeFileSync(`${out}.new`, '// The scene of the program beside this file (ox_scene), written when it was built.\n' +
                   `const ORVEX_SCENE = ${scene};\n`);
  fs.renameSync(`${out}.new`, out);
}).catch((e) => {
  console.error(`scene_script.js: ${program}: ${e.message || e}`);
  process.exit(1);
});
