#include "output/storage_sink.h"

#include <cstddef>

namespace velumar {

FanOut::FanOut(std::vector<StorageSink*> sinks) {
  for (StorageSink* sink : sinks)
    if (sink != nullptr) add(*sink);
}

void FanOut::add(StorageSink& sink) {
  // What this sink sets late, the sinks after it (and whoever listens to
  // the fan-out) set then.
  const std::size_t after = sinks_.size() + 1;
  sink.on_late_mark([this, after](int at) {
    for (std::size_t i = after; i < sinks_.size(); ++i) sinks_[i]->set_word_mark(at);
    if (late_) late_(at);
  });
  sinks_.push_back(&sink);
}

void FanOut::set_deck_id(std::string_view id) {
  for (StorageSink* s : sinks_) s->set_deck_id(id);
}

void FanOut::loader(std::string_view card) {
  for (StorageSink* s : sinks_) s->loader(card);
}

bool FanOut::place(std::string_view text, bool word_mark, int first, std::string_view ident) {
  bool deferred = false;
  for (StorageSink* s : sinks_)
    if (s->place(text, word_mark && !deferred, first, ident)) deferred = true;
  return deferred;
}

void FanOut::set_word_mark(int at) {
  for (StorageSink* s : sinks_) s->set_word_mark(at);
}

void FanOut::transfer(std::string_view branch) {
  for (StorageSink* s : sinks_) s->transfer(branch);
}

void FanOut::end(std::string_view instruction) {
  for (StorageSink* s : sinks_) s->end(instruction);
}

void FanOut::resume(char loader) {
  for (StorageSink* s : sinks_) s->resume(loader);
}

std::optional<int> FanOut::card_of_last_data() const {
  for (const StorageSink* s : sinks_)
    if (const std::optional<int> card = s->card_of_last_data()) return card;
  return std::nullopt;
}

bool StorageImage::place(std::string_view text, bool word_mark, int first, std::string_view) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const long long at = static_cast<long long>(first) + static_cast<long long>(i);
    if (at < 0 || at >= kSize) continue;
    // A load brings no word marks but the first one asked for.
    chars_[static_cast<std::size_t>(at)] = text[i];
    marks_[static_cast<std::size_t>(at)] = false;
    ++placed_;
  }
  if (word_mark) set_word_mark(first);
  return false;
}

void StorageImage::set_word_mark(int at) {
  if (at < 0 || at >= kSize) return;
  marks_[static_cast<std::size_t>(at)] = true;
  ++placed_;
}

char StorageImage::at(int position) const {
  return position >= 0 && position < kSize ? chars_[static_cast<std::size_t>(position)] : ' ';
}

bool StorageImage::marked(int position) const {
  return position >= 0 && position < kSize && marks_[static_cast<std::size_t>(position)];
}

}  // namespace velumar
