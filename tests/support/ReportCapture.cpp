#include "support/ReportCapture.h"


namespace trovik::test {

void CaptureSink::Write(std::string_view text, bool red) {
  text_.append(text);
  red_.insert(red_.end(), text.size(), red);
}

void CaptureSink::EraseBeforeInsertion() {
  if (!text_.empty()) {
    text_.pop_back();
    red_.pop_back();
  }
}

std::string CaptureSink::Marked() const {
  std::string out;
  bool inRed = false;
  for (size_t i = 0; i < text_.size(); ++i) {
    if (red_[i] != inRed) {
      out += red_[i] ? "[[" : "]]";
      inRed = red_[i];
    }
    out += text_[i];
  }
  if (inRed) out += "]]";
  return out;
}

DumpRequest MakeRequest(DumpType type, std::string start, std::string end, int count) {
  return {.start = std::move(start), .end = std::move(end), .count = count, .dumpType = type};
}

DumpRequest MakeEditRequest(DumpType type, std::string start, int count) {
  DumpRequest request = MakeRequest(type, std::move(start), "0", count);
  request.result = kResultEdit;
  return request;
}

DumpResult RunOnBytes(const DumpRequest& request, std::vector<uint8_t> bytes, ScriptedHost* host) {
  MemoryFile file(std::move(bytes));
  return RunOnFile(request, file, host);
}

DumpResult RunOnFile(const DumpRequest& request, FileAccess& file, ScriptedHost* host) {
  ScriptedHost local;
  ScriptedHost& h = host ? *host : local;
  CaptureSink sink;
  RunStatus status = RunDump(request, file, sink, h);
  return {status, sink.Text(), sink.Marked(), h.messages};
}

std::vector<std::string> RedTexts(const std::string& marked) {
  std::vector<std::string> red;
  for (size_t open = marked.find("[["); open != std::string::npos; open = marked.find("[[", open + 2))
    red.push_back(marked.substr(open + 2, marked.find("]]", open) - open - 2));
  return red;
}

}  // namespace trovik::test
