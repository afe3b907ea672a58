#include "dsp.h"

#include <cmath>
#include <fstream>
#include <stdexcept>

namespace vtl::dsp {

namespace {

struct Trig {
  double cosine, alpha;
};

Trig Prepare(double hz, double q) {
  const double w0 = det::kTwoPi * hz / kSampleRate;
  return {det::Cos(w0), det::Sin(w0) / (2.0 * q)};
}

void Store(Biquad& f, double b0, double b1, double b2, double a0, double a1, double a2) {
  f.b0 = b0 / a0;
  f.b1 = b1 / a0;
  f.b2 = b2 / a0;
  f.a1 = a1 / a0;
  f.a2 = a2 / a0;
}

}  // namespace

void Biquad::SetLowPass(double hz, double q) {
  const Trig t = Prepare(hz, q);
  Store(*this, (1 - t.cosine) / 2, 1 - t.cosine, (1 - t.cosine) / 2, 1 + t.alpha, -2 * t.cosine, 1 - t.alpha);
}

void Biquad::SetHighPass(double hz, double q) {
  const Trig t = Prepare(hz, q);
  Store(*this, (1 + t.cosine) / 2, -(1 + t.cosine), (1 + t.cosine) / 2, 1 + t.alpha, -2 * t.cosine, 1 - t.alpha);
}

void Biquad::SetBandPass(double hz, double q) {
  const Trig t = Prepare(hz, q);
  Store(*this, t.alpha, 0, -t.alpha, 1 + t.alpha, -2 * t.cosine, 1 - t.alpha);
}

Biquad LowPass(double hz, double q) {
  Biquad f;
  f.SetLowPass(hz, q);
  return f;
}

Biquad HighPass(double hz, double q) {
  Biquad f;
  f.SetHighPass(hz, q);
  return f;
}

Biquad BandPass(double hz, double q) {
  Biquad f;
  f.SetBandPass(hz, q);
  return f;
}

void FilterLoop(Signal& loop, Biquad filter) {
  for (double x : loop) filter.Run(x);
  for (double& x : loop) x = filter.Run(x);
}

void Filter(Signal& signal, Biquad filter) {
  for (double& x : signal) x = filter.Run(x);
}

Signal WhiteNoise(Prng& rng, int length) {
  Signal s(static_cast<std::size_t>(length));
  for (double& x : s) x = rng.Signed();
  return s;
}

void AddWrapped(Signal& target, const Signal& event, int start, double gain) {
  const std::size_t n = target.size();
  if (n == 0) return;
  std::size_t at = static_cast<std::size_t>(((start % static_cast<long>(n)) + static_cast<long>(n)) % static_cast<long>(n));
  for (double x : event) {
    target[at] += gain * x;
    if (++at == n) at = 0;
  }
}

void AddAt(Signal& target, const Signal& event, int start, double gain) {
  for (std::size_t i = 0; i < event.size(); ++i) {
    const long at = start + static_cast<long>(i);
    if (at >= 0 && at < static_cast<long>(target.size())) target[static_cast<std::size_t>(at)] += gain * event[i];
  }
}

void FadeEnds(Signal& signal, double inSeconds, double outSeconds) {
  const int n = static_cast<int>(signal.size());
  const int in = Samples(inSeconds), out = Samples(outSeconds);
  for (int i = 0; i < in && i < n; ++i) signal[static_cast<std::size_t>(i)] *= 0.5 - 0.5 * det::Cos(det::kPi * i / in);
  for (int i = 0; i < out && i < n; ++i) signal[static_cast<std::size_t>(n - 1 - i)] *= 0.5 - 0.5 * det::Cos(det::kPi * i / out);
}

void Normalise(Signal& signal, double peak) {
  double largest = 0;
  for (double x : signal) largest = std::fmax(largest, std::fabs(x));
  if (largest <= 0) return;
  const double k = peak / largest;
  for (double& x : signal) x *= k;
}

namespace {

void Put(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PutTag(std::vector<std::uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

}  // namespace

std::vector<std::uint8_t> EncodeWav(const Signal& signal) {
  const auto dataBytes = static_cast<std::uint32_t>(signal.size() * 2);
  std::vector<std::uint8_t> out;
  out.reserve(44 + dataBytes);
  PutTag(out, "RIFF");
  Put(out, 36 + dataBytes, 4);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  Put(out, 16, 4);
  Put(out, 1, 2);  // PCM
  Put(out, 1, 2);  // mono: the saver positions its sounds in 3D
  Put(out, kSampleRate, 4);
  Put(out, kSampleRate * 2, 4);
  Put(out, 2, 2);
  Put(out, 16, 2);
  PutTag(out, "data");
  Put(out, dataBytes, 4);
  for (double x : signal) {
    const double scaled = std::floor(det::Clamp(x, -1.0, 1.0) * 32767.0 + 0.5);
    Put(out, static_cast<std::uint32_t>(static_cast<std::int32_t>(scaled)), 2);
  }
  return out;
}

void WriteWav(const std::string& path, const Signal& signal) {
  const std::vector<std::uint8_t> bytes = EncodeWav(signal);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!file) throw std::runtime_error("cannot write " + path);
}

}  // namespace vtl::dsp
