// ship_script: copies one of the page's scripts as the page ships it,
// without its blank lines and the comments that fill whole lines, which
// every player would download for nothing (the page's size is kept under
// 150 KB). The code is left as written, line for line.
//   node ship_script.mjs SOURCE DESTINATION

import fs from 'node:fs';

const [source, destination] = process.argv.slice(2);
let in_comment = false;
const kept = fs.readFileSync(source, 'utf8').split('\n').filter((line) => {
  const text = line.trim();
  if (in_comment) return (in_comment = !text.includes('*/')), false;
  if (text.startsWith('/*') && !text.includes('*/')) return (in_comment = true), false;
  return text !== '' && !text.startsWith('//') && !(text.startsWith('/*') && text.endsWith('*/'));
});
fs.writeFileSync(destination, `${kept.join('\n')}\n`);
