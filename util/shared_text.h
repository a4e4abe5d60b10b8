#pragma once

#include <atomic>
#include <cstddef>
#include <ostream>
#include <string>
#include <utility>

// A text its copies share: one pointer wide, its characters held once however
// many copies there are. Every address and server carries its game's texts; a
// std::string each (32 bytes, and the characters again past 15) made them the
// biggest part of a long address list. Giving a copy a new text makes it a
// block of its own; the other copies keep theirs. The count is atomic, so
// copies may live on several threads.
class TSharedText {
public:
  TSharedText() = default;
  TSharedText(const std::string& text) : block_(Make(text)) {} // NOLINT: as a std::string
  TSharedText(const char* text) : block_(Make(text)) {}        // NOLINT: as a std::string
  TSharedText(const TSharedText& other) noexcept : block_(other.block_) { Retain(); }
  TSharedText(TSharedText&& other) noexcept : block_(other.block_) { other.block_ = nullptr; }
  TSharedText& operator=(TSharedText other) noexcept {
    std::swap(block_, other.block_);
    return *this;
  }
  ~TSharedText() { Release(); }

  const std::string& str() const { return block_ ? block_->text : Empty(); }
  operator const std::string&() const { return str(); } // NOLINT: reads as a std::string
  bool empty() const { return block_ == nullptr; }
  std::size_t size() const { return str().size(); }
  const char* c_str() const { return str().c_str(); }
  void clear() { *this = TSharedText(); }

  friend bool operator==(const TSharedText& a, const TSharedText& b) { return a.str() == b.str(); }
  friend bool operator==(const TSharedText& a, const std::string& b) { return a.str() == b; }
  friend bool operator==(const TSharedText& a, const char* b) { return a.str() == b; }
  friend std::string operator+(const TSharedText& a, const std::string& b) { return a.str() + b; }
  friend std::string operator+(const std::string& a, const TSharedText& b) { return a + b.str(); }
  friend std::string operator+(const TSharedText& a, const char* b) { return a.str() + b; }
  friend std::string operator+(const char* a, const TSharedText& b) { return a + b.str(); }
  friend std::ostream& operator<<(std::ostream& out, const TSharedText& text) {
    return out << text.str();
  }

private:
  struct TBlock {
    explicit TBlock(std::string t) : text(std::move(t)) {}
    std::atomic<long> references{1};
    const std::string text;
  };

  // No block for an empty text.
  static TBlock* Make(std::string text) {
    return text.empty() ? nullptr : new TBlock(std::move(text));
  }
  static const std::string& Empty() {
    static const std::string empty;
    return empty;
  }
  void Retain() const noexcept {
    if (block_)
      block_->references.fetch_add(1, std::memory_order_relaxed);
  }
  void Release() noexcept {
    if (block_ && block_->references.fetch_sub(1, std::memory_order_acq_rel) == 1)
      delete block_;
    block_ = nullptr;
  }

  TBlock* block_ = nullptr;
};
