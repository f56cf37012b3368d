#include "tests/support/scripted_pass_through.h"

#include <algorithm>
#include <sstream>

namespace qfw::test {

ScsiResult Completed(std::size_t length) {
  return ScsiResult{.opened = true, .completed = true, .transferred = static_cast<std::uint32_t>(length)};
}

ScsiResult Failed() {
  return ScsiResult{.opened = true, .completed = false, .error = TransportError::Io};
}

std::vector<std::uint8_t> Bytes(const std::string& hex) {
  std::istringstream in(hex);
  std::vector<std::uint8_t> out;
  unsigned value = 0;
  while (in >> std::hex >> value) {
    out.push_back(static_cast<std::uint8_t>(value));
  }
  return out;
}

ScsiResult ScriptedPassThrough::Execute(const std::string& path, const ScsiRequest& request) {
  RecordedRequest record{path,
                         request.direction,
                         {request.cdb.begin(), request.cdb.end()},
                         request.DataLength(),
                         {request.dataOut.begin(), request.dataOut.end()},
                         request.timeout};
  requests_.push_back(record);
  if (failOpens_ > 0) {
    --failOpens_;
    return ScsiResult{.error = TransportError::NoDevice};
  }
  if (failRequests_ > 0) {
    --failRequests_;
    return Failed();
  }
  if (handler_) {
    return handler_(record, request.dataIn);
  }
  return FromRules(record, request.dataIn);
}

namespace {
bool StartsWith(const std::vector<std::uint8_t>& cdb, const std::vector<std::uint8_t>& prefix) {
  return prefix.size() <= cdb.size() && std::equal(prefix.begin(), prefix.end(), cdb.begin());
}
}  // namespace

void ScriptedPassThrough::Answer(const std::string& cdbPrefix, std::vector<std::uint8_t> bytes) {
  AnswerInTurn(cdbPrefix, {std::move(bytes)});
}

void ScriptedPassThrough::AnswerInTurn(const std::string& cdbPrefix,
                                       std::vector<std::vector<std::uint8_t>> answers) {
  rules_.push_back({Bytes(cdbPrefix), std::move(answers)});
}

void ScriptedPassThrough::Refuse(const std::string& cdbPrefix) { rules_.push_back({Bytes(cdbPrefix), {}}); }

std::size_t ScriptedPassThrough::CountOf(const std::string& cdbPrefix) const {
  const auto prefix = Bytes(cdbPrefix);
  return static_cast<std::size_t>(
      std::count_if(requests_.begin(), requests_.end(), [&](const auto& r) { return StartsWith(r.cdb, prefix); }));
}

ScsiResult ScriptedPassThrough::FromRules(const RecordedRequest& record, std::span<std::uint8_t> dataIn) {
  for (Rule& rule : rules_) {
    if (!StartsWith(record.cdb, rule.prefix)) continue;
    if (rule.answers.empty()) return Failed();
    const auto& answer = rule.answers[std::min(rule.next, rule.answers.size() - 1)];
    ++rule.next;
    const std::size_t n = std::min(answer.size(), dataIn.size());
    std::copy_n(answer.begin(), n, dataIn.begin());
    return Completed(record.direction == DataDirection::In ? n : record.length);
  }
  return Completed(record.length);
}

}  // namespace qfw::test
