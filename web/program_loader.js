// @ts-check
// program_loader: makes the runs of the program and of the planner, which
// are one WebAssembly module: the C++ of the simulator and of the planner,
// compiled together (see web/CMakeLists.txt). lm_simulator.js carries the
// module deflated, in base64 (lm_program_wasm), since a page opened from
// disk may not fetch a file beside it and deflated it weighs half; the
// browser inflates it once and compiles it once, and each flight is a new
// instance of it.
'use strict';

// Returns whether lm_simulator.js loaded.
function program_loaded() {
  return typeof create_lm_program === 'function' && typeof lm_program_wasm === 'string';
}

/** @type {Promise<WebAssembly.Module> | null} */
let program_compiled = null;

// Returns the module, inflated and compiled once for the page; a browser
// that cannot (one without DecompressionStream, say) gets a failed promise,
// never an exception, so the page can say why.
function program_module() {
  program_compiled ??= (async () => {
    const deflated = Uint8Array.from(atob(lm_program_wasm), (c) => c.charCodeAt(0));
    const inflated =
        new Blob([deflated]).stream().pipeThrough(new DecompressionStream('deflate-raw'));
    return WebAssembly.compile(await new Response(inflated).arrayBuffer());
  })();
  return program_compiled;
}

/**
 * Returns a promise of a new instance of the program, given the options
 * its runtime takes; it fails if the module cannot be made or started.
 * @template {object} T @param {T} options @returns {Promise<any>}
 */
async function program_instance(options) {
  const module = await program_module();
  return new Promise((resolve, failed) => {
    /** @param {WebAssembly.Imports} imports @param {(i: WebAssembly.Instance) => void} done */
    const instantiateWasm = (imports, done) => {
      WebAssembly.instantiate(module, imports).then(done, failed);
      return {};
    };
    create_lm_program({...options, instantiateWasm}).then(resolve, failed);
  });
}

/**
 * Starts a run of the simulator, from its banner to its exit: it reads
 * with lm_next_input and writes with lm_output (see
 * console/platform/browser.cpp).
 * @param {simulator_options} options @returns {Promise<unknown>}
 */
function create_lm_simulator(options) { return program_instance(options); }

/**
 * Returns a promise of the planner: an instance of the program that does
 * not run the simulator, whose calls web/best_landing_calls.cpp defines.
 * @returns {Promise<lm_planner_module>}
 */
function create_lm_planner() {
  return program_instance({noInitialRun: true, lm_output() {}});
}
