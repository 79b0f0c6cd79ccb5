// Where the tests find the program's own parts: the WebAssembly core, the
// native ktq51-flash and the board simulator, the committed HEX files, and
// the page as built. Each can be named by the environment.
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

const top = resolve(dirname(fileURLToPath(import.meta.url)), '..', '..');
export const paths = {
  top,
  data: join(top, 'tests', 'data'),
  core: process.env.KTQ51_CORE ?? join(top, 'build', 'web', 'web', 'wasm', 'programator-core.wasm'),
  flash: process.env.KTQ51_FLASH ?? join(top, 'build', 'default', 'cli', 'ktq51-flash'),
  simulator: process.env.KTQ51_SIM ?? join(top, 'build', 'default', 'tools', 'ktq51-sim'),
  page: process.env.KTQ51_PAGE ?? join(top, 'web', 'dist'),
};
