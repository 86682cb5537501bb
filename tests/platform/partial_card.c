/* A driver library that lacks most functions: the binding must leave those entries empty. */
#include <stdint.h>

__attribute__((visibility("default"))) uint8_t CardOpen(int32_t card) {
    return card == 0 ? 1 : 0;
}
__attribute__((visibility("default"))) int32_t LoadGetAd(int32_t card) {
    return 1000 + card;
}
