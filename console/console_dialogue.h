// console_dialogue: the operator's side of the console, as the flight sees
// it: the questions of prompts.h and the reports of reports.h.

#ifndef LM_CONSOLE_CONSOLE_DIALOGUE_H_
#define LM_CONSOLE_CONSOLE_DIALOGUE_H_

#include "prompts.h"  // IWYU pragma: export
#include "reports.h"  // IWYU pragma: export

#endif  // LM_CONSOLE_CONSOLE_DIALOGUE_H_
