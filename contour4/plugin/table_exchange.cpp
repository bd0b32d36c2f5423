// The three-table exchange between shape changes and the audio thread.
#include "table_exchange.h"

namespace tarn {

TableExchange::TableExchange() {
    for (WaveTable& t : tables_) t.clear();
}

void TableExchange::publish() {
    const uint8_t previous = waiting_.exchange(static_cast<uint8_t>(back_ | kFresh), std::memory_order_acq_rel);
    back_ = previous & ~kFresh;
}

bool TableExchange::takeNewest() {
    if ((waiting_.load(std::memory_order_relaxed) & kFresh) == 0) return false;
    const uint8_t previous = waiting_.exchange(front_, std::memory_order_acq_rel);
    front_ = previous & ~kFresh;
    return true;
}

}  // namespace tarn
