#include "maps/state_replay.h"

#include <memory>

#include "engine/data_model.h"
#include "state/memory_byte_stream.h"
#include "state/state_stream.h"

StateReplay ReplayStates(const std::vector<uint8_t>& first, const std::vector<uint8_t>* later) {
  auto model = std::make_unique<DataModel>();
  StateReplay replay;
  MemoryByteStream in(first);
  LoadState(*model, in, nullptr);
  if (later) {
    replay.channelBefore = model->output.channel;
    replay.portBefore = model->output.port;
    replay.preservingBefore = model->output.preservePortChannel != 0;
    in = MemoryByteStream(*later);
    LoadState(*model, in, nullptr);
  }
  replay.ranShort = in.ranShort;
  replay.unread = in.Unread();
  MemoryByteStream out;
  SaveState(*model, out);
  replay.saved = std::move(out.bytes);
  return replay;
}
