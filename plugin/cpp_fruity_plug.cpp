#include "plugin/cpp_fruity_plug.h"

#include <cstring>

TCPPFruityPlug::TCPPFruityPlug(int32_t tag, PluginHost* host) : host_(host) {
  hostTag = tag;
  if (!host_) return;
  const auto* text = reinterpret_cast<const char*>(host_->HostDispatch(tag, kHostNameText, 0, 0));
  if (!text) return;
  // The host's text may be unterminated: read no further than the field.
  const void* end = std::memchr(text, 0, kHostTextSize - 1);
  const size_t length = end ? static_cast<size_t>(static_cast<const char*>(end) - text)
                            : static_cast<size_t>(kHostTextSize - 1);
  std::memcpy(hostNameText_, text, length);
  hostNameText_[length] = 0;
}
