// big_fixed2: "%*.2f" for what report_format's fast path leaves: finite
// magnitudes of 2^55 and more, which are whole numbers printed exactly from
// their bits, and the infinities and NaN ("inf", "-inf", "nan").
//
// Rare enough that their cost does not matter; a unit of its own so that
// its large frame stays out of the fast path that calls it.

#ifndef LM_CONSOLE_BIG_FIXED2_H_
#define LM_CONSOLE_BIG_FIXED2_H_

// Writes `value` at p as "%*.2f" with the given width (at most 32); returns
// the end of what it wrote, at most formatted_number_capacity bytes. Needs
// a value that is not finite or whose magnitude is 2^55 or more.
char* put_big_fixed2(char* p, double value, int width);

#endif  // LM_CONSOLE_BIG_FIXED2_H_
