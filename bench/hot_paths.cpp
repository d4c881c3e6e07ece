// Microbenchmarks of the work done once per simulated second: the state
// report, the out-of-fuel line, one second of the descent model, and
// reading one answer. Output goes to /dev/null.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <memory>

#include "console_dialogue.h"
#include "descent_model.h"
#include "number_reader.h"

namespace {

std::unique_ptr<console> open_console() {
  auto io = std::make_unique<console>();
  console_open(*io, -1, ::open("/dev/null", O_WRONLY));
  return io;
}

void close_console(console& io) {
  ::close(io.out.fd);
}

void state_report(benchmark::State& state) {
  const auto io = open_console();
  double altitude = 1300.0;
  for (auto _ : state) {
    print_lm_state(*io, 123, altitude, -12.345, 456, 7);
    altitude -= 0.01;
  }
  close_console(*io);
}
BENCHMARK(state_report);

void out_of_fuel_line(benchmark::State& state) {
  const auto io = open_console();
  double altitude = 1300.0;
  for (auto _ : state) {
    print_out_of_fuel(*io, 123, altitude, -45.678);
    altitude -= 0.01;
  }
  close_console(*io);
}
BENCHMARK(out_of_fuel_line);

void model_second(benchmark::State& state) {
  flight_state s = initial_state(1e6, 2000000000);
  std::int32_t rate = 0;
  for (auto _ : state) {
    s = state_after_second(s, lunar_gravity, rate);
    rate = (rate + 3) % 10;
    benchmark::DoNotOptimize(s);
  }
}
BENCHMARK(model_second);

void read_answer(benchmark::State& state) {
  const auto io = open_console();
  // A buffer full of answers, rewound whenever it runs low, so that no read
  // of the input is ever made.
  const char answer[] = "5\n";
  const std::size_t answer_size = sizeof answer - 1;
  const std::size_t answers = input_buffer_size / answer_size;
  for (std::size_t i = 0; i < answers; ++i) {
    std::memcpy(io->in.bytes + i * answer_size, answer, answer_size);
  }
  io->in.end = answers * answer_size;
  for (auto _ : state) {
    if (io->in.end - io->in.begin < 2 * answer_size) io->in.begin = 0;
    benchmark::DoNotOptimize(read_integer(*io));
  }
  close_console(*io);
}
BENCHMARK(read_answer);

}  // namespace

BENCHMARK_MAIN();
