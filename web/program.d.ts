// What lm_simulator.js defines for the page's scripts: the program's texts
// and figures, which the build writes (tools/make_page_texts.cpp); the
// program's runtime, which makes an instance of the program's WebAssembly
// module; and that module, deflated and in base64 (web/ship_program.mjs).
// program_loader.js makes the runs of the simulator and the planner with
// them.

declare const program: Readonly<Record<string, string | number>>;

declare const lm_program_wasm: string;

declare function create_lm_program(module: object): Promise<unknown>;

// What a run of the simulator is given: console/platform/browser.cpp calls
// lm_next_input and lm_output.
interface simulator_options {
  lm_next_input: (max: number) => Promise<Uint8Array | null>;
  lm_output: (bytes: Uint8Array) => void;
  onExit: () => void;
  onAbort: (what: unknown) => void;
}

// The planner: an instance of the program whose calls
// web/best_landing_calls.cpp defines.
interface lm_planner_module {
  HEAPU8: Uint8Array;
  _malloc(size: number): number;
  _free(at: number): void;
  _lm_best_start(typed: number, size: number): number;
  _lm_best_continue(search: number, milliseconds: number): number;
  _lm_best_text(search: number): number;
  _lm_best_end(search: number): void;
  UTF8ToString(at: number): string;
}
