// Type-checks the page's scripts with TypeScript (tsc --noEmit, as
// web/tsconfig.json says), installed beside the browser test's packages.
// Exit status 77 (skipped) when it is not installed (1 under CI).
//   node page_types.mjs WEB_DIR

import {spawnSync} from 'node:child_process';
import fs from 'node:fs';

const tsc = new URL('../browser/node_modules/typescript/bin/tsc', import.meta.url).pathname;
if (!fs.existsSync(tsc)) {
  const reason = `TypeScript is not installed: run npm ci in ${
      new URL('../browser', import.meta.url).pathname}`;
  console.log(reason);
  if (process.env.LM_SKIP_NOTE)
    fs.appendFileSync(process.env.LM_SKIP_NOTE, `page_types skipped: ${reason}\n`);
  process.exit(process.env.CI ? 1 : 77);
}
const run =
    spawnSync(process.execPath, [tsc, '--noEmit', '-p', process.argv[2]], {stdio: 'inherit'});
process.exitCode = run.status ?? 1;
