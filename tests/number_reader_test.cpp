// The answer reader over whole inputs: each case reads a sequence of
// numbers of stated kinds and checks every result, including what is left
// for the reads that follow.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console_fixture.h"
#include "number_reader.h"

namespace {

enum kind { integer, real };

struct expected_read {
  kind asked;
  read_status status;
  double value;  // compared exactly; an integer's value converted
};

struct reader_case {
  const char* what;
  std::string input;
  std::vector<expected_read> reads;
};

constexpr read_status number = read_status::number;
constexpr read_status out_of_range = read_status::out_of_range;
constexpr read_status not_a_number = read_status::not_a_number;
constexpr read_status end = read_status::end_of_input;

void check(const reader_case& c) {
  console_fixture fixture(c.input);
  for (std::size_t i = 0; i < c.reads.size(); ++i) {
    const expected_read& e = c.reads[i];
    read_status status;
    double value;
    if (e.asked == integer) {
      const integer_answer answer = read_integer(fixture.io());
      status = answer.status;
      value = answer.value;
    } else {
      const real_answer answer = read_real(fixture.io());
      status = answer.status;
      value = answer.value;
    }
    ASSERT_LE(fixture.io().in.end, input_buffer_size) << c.what << ": read past the buffer";
    ASSERT_EQ(static_cast<int>(status), static_cast<int>(e.status)) << c.what << ", read " << i;
    if (status == number) {
      EXPECT_EQ(value, e.value) << c.what << ", read " << i;
    }
  }
  EXPECT_EQ(fixture.output(), "") << c.what << ": the reader writes nothing";
}

TEST(NumberReader, Integers) {
  const reader_case cases[] = {
      {"plain", "2 3 9", {{integer, number, 2}, {integer, number, 3}, {integer, number, 9}}},
      {"signs",
       "+5 -5 -0 +0",
       {{integer, number, 5},
        {integer, number, -5},
        {integer, number, 0},
        {integer, number, 0},
        {integer, end, 0}}},
      {"every kind of white space", " \t\r\n\v\f7\r\n", {{integer, number, 7}, {integer, end, 0}}},
      {"leading zeros", "0000000000000000000000000042", {{integer, number, 42}}},
      {"32-bit limits",
       "2147483647 -2147483648",
       {{integer, number, 2147483647}, {integer, number, -2147483648.0}}},
      {"just past them",
       "2147483648 -2147483649 x",
       {{integer, out_of_range, 0}, {integer, out_of_range, 0}, {integer, not_a_number, 0}}},
      {"never wrapped",
       "4294967301 99999999999 -99999999999 18446744073709551621 3",
       {{integer, out_of_range, 0},
        {integer, out_of_range, 0},
        {integer, out_of_range, 0},
        {integer, out_of_range, 0},
        {integer, number, 3}}},
      {"tokens that are no number",
       "abc x9 five ? + --5 .5 -+1 8",
       {{integer, not_a_number, 0},
        {integer, not_a_number, 0},
        {integer, not_a_number, 0},
        {integer, not_a_number, 0},
        {integer, not_a_number, 0},
        {integer, not_a_number, 0},
        {integer, not_a_number, 0},
        {integer, not_a_number, 0},
        {integer, number, 8}}},
      {"a number ends the token's use",
       "5abc 7",
       {{integer, number, 5}, {integer, not_a_number, 0}, {integer, number, 7}}},
      {"the characters just past the digits end one",
       "5: 7/ 8",
       {{integer, number, 5},
        {integer, not_a_number, 0},
        {integer, number, 7},
        {integer, not_a_number, 0},
        {integer, number, 8}}},
      {"a point ends an integer",
       "5.5",
       {{integer, number, 5}, {integer, not_a_number, 0}, {integer, end, 0}}},
      {"sign alone at the end",
       "3 -",
       {{integer, number, 3}, {integer, not_a_number, 0}, {integer, end, 0}}},
      {"one digit each, at the edges of the short forms",
       "5\n6 7\t8\r\n9-",
       {{integer, number, 5},
        {integer, number, 6},
        {integer, number, 7},
        {integer, number, 8},
        {integer, number, 9},
        {integer, not_a_number, 0}}},
      {"nine digits, then ten",
       "\n999999999\n1000000000\n2147483647",
       {{integer, number, 999999999},
        {integer, number, 1000000000},
        {integer, number, 2147483647}}},
      {"a digit run up to the end of the input",
       "\n12",
       {{integer, number, 12}, {integer, end, 0}}},
      {"nothing", "", {{integer, end, 0}, {integer, end, 0}}},
      {"only white space", " \n\t\n ", {{integer, end, 0}}},
      {"a NUL byte is a token",
       std::string("\0 4", 3),
       {{integer, not_a_number, 0}, {integer, number, 4}}},
  };
  for (const reader_case& c : cases)
    check(c);
}

TEST(NumberReader, Reals) {
  const reader_case cases[] = {
      {"forms",
       "1300 2.5 +7 -3 1e3 1.5E+2 25e-1 9999. 0.5",
       {{real, number, 1300},
        {real, number, 2.5},
        {real, number, 7},
        {real, number, -3},
        {real, number, 1000},
        {real, number, 150},
        {real, number, 2.5},
        {real, number, 9999},
        {real, number, 0.5}}},
      {"nearest binary64",
       "0.1 9999.000000000000000000001 1.000000000000000111022302462515654043",
       {{real, number, 0.1}, {real, number, 9999}, {real, number, 1.0000000000000002}}},
      {"an incomplete exponent stays in the input",
       "5e 6e+ 7e-x",
       {{real, number, 5},
        {integer, not_a_number, 0},
        {real, number, 6},
        {integer, not_a_number, 0},
        {real, number, 7},
        {integer, not_a_number, 0}}},
      {"a second point stays", "1.2.3", {{real, number, 1.2}, {real, not_a_number, 0}}},
      {"leading zeros cost nothing", std::string(10000, '0') + "12.5", {{real, number, 12.5}}},
      {"beyond binary64",
       "1e999 -1e999 1e-999 5",
       {{real, out_of_range, 0},
        {real, out_of_range, 0},
        {real, out_of_range, 0},
        {real, number, 5}}},
      {"too long to convert",
       "1." + std::string(5000, '1') + " 4",
       {{real, out_of_range, 0}, {real, number, 4}}},
      // The limit counts every character after the leading zeros, a minus
      // sign included.
      {"as long as converted",
       "1." + std::string(real_token_limit - 2, '0') + " -1." +
           std::string(real_token_limit - 3, '0') + " " + std::string(50, '0') + "2." +
           std::string(real_token_limit - 2, '0'),
       {{real, number, 1}, {real, number, -1}, {real, number, 2}}},
      {"one character longer",
       "1." + std::string(real_token_limit - 1, '0') + " -1." +
           std::string(real_token_limit - 2, '0') + " 4",
       {{real, out_of_range, 0}, {real, out_of_range, 0}, {real, number, 4}}},
      {"no forms beyond decimal",
       ".5 inf nan 0x10",
       {{real, not_a_number, 0},
        {real, not_a_number, 0},
        {real, not_a_number, 0},
        {real, number, 0},
        {real, not_a_number, 0},
        {real, end, 0}}},
      {"the two kinds in turn",
       "1300 500 9",
       {{real, number, 1300}, {integer, number, 500}, {integer, number, 9}}},
  };
  for (const reader_case& c : cases)
    check(c);
}

TEST(NumberReader, NumbersAcrossTheEndOfAReadBlock) {
  // The first read takes one buffer's worth; place each number so that it
  // straddles that edge at every offset. The part kept for the next read
  // leaves less room than the input still waiting: a read asked for more
  // than that room writes past the buffer.
  const std::string number_text = "-12.5e+1x";
  const std::string more_than_a_buffer(input_buffer_size + 1, ' ');
  for (std::size_t cut = 0; cut <= number_text.size(); ++cut) {
    const std::string input =
        std::string(input_buffer_size - cut, ' ') + number_text + more_than_a_buffer + " 3";
    check({"real across the edge",
           input,
           {{real, number, -125}, {integer, not_a_number, 0}, {integer, number, 3}}});
    const std::string integer_input =
        std::string(input_buffer_size - cut, '\n') + "-987654x" + more_than_a_buffer + "3";
    check({"integer across the edge",
           integer_input,
           {{integer, number, -987654}, {integer, not_a_number, 0}, {integer, number, 3}}});
  }
}

TEST(NumberReader, HugeTokensAreDroppedInOnePiece) {
  const std::string letters(3 * input_buffer_size + 17, 'q');
  check({"letters", letters + "\n42", {{integer, not_a_number, 0}, {integer, number, 42}}});
  const std::string digits(3 * input_buffer_size + 17, '7');
  check({"digits", digits + " 42", {{integer, out_of_range, 0}, {integer, number, 42}}});
  check({"real digits", digits + " 42", {{real, out_of_range, 0}, {real, number, 42}}});
}

}  // namespace
