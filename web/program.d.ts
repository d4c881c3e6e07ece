// What lm_simulator.js defines for the page's scripts: the program's texts
// and figures, which the build writes (tools/make_page_texts.cpp), and the
// function that starts a run of the program (console/platform/browser.cpp
// calls lm_next_input and lm_output).

declare const program: Readonly<Record<string, string | number>>;

declare function create_lm_simulator(module: {
  lm_next_input: (max: number) => Promise<Uint8Array | null>;
  lm_output: (bytes: Uint8Array) => void;
  onExit: () => void;
  onAbort: (what: unknown) => void;
}): Promise<unknown>;

// What lm_planner.js defines: the function that makes the planner, whose
// calls web/best_landing_calls.cpp defines.
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

declare function create_lm_planner(module: {lm_output: () => void}): Promise<lm_planner_module>;
