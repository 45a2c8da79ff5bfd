#include "sampler/processor_paths.hpp"

#include <atomic>
#include <cstdlib>
#include <string_view>

#include "sampler/processor.hpp"

namespace vantor::sampler {

namespace {

CardPicking initial_picking() {
  const char* forced = std::getenv("VANTOR_CARD_PICKING");
  if (forced != nullptr && std::string_view(forced) == "broadword") return CardPicking::Broadword;
  return processor_features().fast_deposit ? CardPicking::Deposit : CardPicking::Broadword;
}

std::atomic<CardPicking>& chosen_picking() {
  static std::atomic<CardPicking> chosen{initial_picking()};
  return chosen;
}

StreamPath widest_below(StreamPath most) {
  for (const StreamPath path : {StreamPath::Avx512, StreamPath::Avx2}) {
    if (path <= most && can_take(path)) return path;
  }
  return StreamPath::Portable;
}

StreamPath initial_stream_path() {
  StreamPath most = StreamPath::Avx512;
  if (const char* forced = std::getenv("VANTOR_STREAM_PATH")) {
    for (const StreamPath path : {StreamPath::Portable, StreamPath::Avx2, StreamPath::Avx512}) {
      if (std::string_view(forced) == stream_path_name(path)) most = path;
    }
  }
  return widest_below(most);
}

std::atomic<StreamPath>& chosen_stream_path() {
  static std::atomic<StreamPath> chosen{initial_stream_path()};
  return chosen;
}

}  // namespace

CardPicking card_picking() { return chosen_picking().load(std::memory_order_relaxed); }

bool deposit_is_fast() { return processor_features().fast_deposit; }

bool set_card_picking(CardPicking picking) {
  if (picking == CardPicking::Deposit && !deposit_is_fast()) {
    chosen_picking().store(CardPicking::Broadword, std::memory_order_relaxed);
    return false;
  }
  chosen_picking().store(picking, std::memory_order_relaxed);
  return true;
}

bool can_take(StreamPath path) { return can_take(path, processor_features()); }

bool can_take(StreamPath path, const ProcessorFeatures& has) {
  // The walk over the masks uses BMI1 and BMI2 whatever computes them; every processor with
  // AVX2 has both.
  const bool avx2 = has.avx2 && has.bmi1 && has.bmi2 && has.os_saves_ymm;
  switch (path) {
    case StreamPath::Portable:
      return true;
    case StreamPath::Avx2:
      return avx2;
    case StreamPath::Avx512:
      return avx2 && has.avx512f && has.avx512bw && has.avx512dq && has.avx512vl &&
             has.os_saves_zmm;
  }
  return false;
}

StreamPath stream_path() { return chosen_stream_path().load(std::memory_order_relaxed); }

bool set_stream_path(StreamPath path) {
  if (!can_take(path)) return false;
  chosen_stream_path().store(path, std::memory_order_relaxed);
  return true;
}

const char* stream_path_name(StreamPath path) {
  switch (path) {
    case StreamPath::Portable:
      return "portable";
    case StreamPath::Avx2:
      return "avx2";
    case StreamPath::Avx512:
      return "avx512";
  }
  return "portable";
}

}  // namespace vantor::sampler
