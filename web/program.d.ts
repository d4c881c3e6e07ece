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
