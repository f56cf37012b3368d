#pragma once
// A pass-through double that records every request and answers from a
// script: a handler per request, with the next N calls failing on demand.

#include <cstdint>
#include <chrono>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "device/cdb.h"
#include "device/pass_through.h"

namespace qfw::test {

struct RecordedRequest {
  std::string path;
  DataDirection direction;
  std::vector<std::uint8_t> cdb;
  std::size_t length;                 // data length handed to the request
  std::vector<std::uint8_t> dataOut;  // bytes sent on data-out
  std::chrono::seconds timeout;
};

class ScriptedPassThrough final : public PassThrough {
 public:
  // Fills the data-in span (already sized to the request) and returns the
  // result. The default handler completes every request and transfers all.
  using Handler = std::function<ScsiResult(const RecordedRequest&, std::span<std::uint8_t> dataIn)>;

  void SetHandler(Handler handler) { handler_ = std::move(handler); }

  // Without a handler, requests are answered from these rules: the first
  // rule whose CDB prefix (hex text) matches decides. An answer rule copies
  // its bytes into the data phase and reports their count as transferred;
  // with several answers they are used in turn and the last one repeats. A
  // refusal fails the request. Unmatched requests complete untouched.
  void Answer(const std::string& cdbPrefix, std::vector<std::uint8_t> bytes);
  void AnswerInTurn(const std::string& cdbPrefix, std::vector<std::vector<std::uint8_t>> answers);
  void Refuse(const std::string& cdbPrefix);
  // Requests whose CDB starts with the prefix.
  std::size_t CountOf(const std::string& cdbPrefix) const;
  // The next count requests fail as if the device could not be opened.
  void FailNextOpens(int count) { failOpens_ = count; }
  // The next count requests open but do not complete.
  void FailNextRequests(int count) { failRequests_ = count; }

  ScsiResult Execute(const std::string& path, const ScsiRequest& request) override;

  const std::vector<RecordedRequest>& Requests() const { return requests_; }
  void Clear() { requests_.clear(); }

 private:
  struct Rule {
    std::vector<std::uint8_t> prefix;
    std::vector<std::vector<std::uint8_t>> answers;  // empty: refuse
    std::size_t next = 0;
  };
  ScsiResult FromRules(const RecordedRequest& record, std::span<std::uint8_t> dataIn);

  Handler handler_;
  std::vector<Rule> rules_;
  int failOpens_ = 0;
  int failRequests_ = 0;
  std::vector<RecordedRequest> requests_;
};

// A result for a request that completed and moved length bytes.
ScsiResult Completed(std::size_t length);
// A result for a request that opened but failed.
ScsiResult Failed();

// Compares a recorded CDB with its expected bytes written as hex text
// ("ff 04 10 01 23 45 00 00 00 00 00 00").
std::vector<std::uint8_t> Bytes(const std::string& hex);

}  // namespace qfw::test
