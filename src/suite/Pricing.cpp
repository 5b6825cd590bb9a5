#include "Pricing.h"

#include <cmath>

namespace {

DefaultPriceFunction g_priceFunction = &StandardDefaultPrice;

bool Usable(float figure) {
    return std::isfinite(figure) && figure > 0.0f;
}

} // namespace

float ChooseDefaultPrice(const CPriceRequest& request) {
    // What the customer has been paying comes first: a quoted or history price is what the sales
    // staff expect to see again.
    if (request.GetHistoryPresent()) {
        if (Usable(request.GetHistoryAmount1())) return request.GetHistoryAmount1();
        if (Usable(request.GetHistoryAmount2())) return request.GetHistoryAmount2();
    }
    // Without history the unit's own pricing figures, in the request's order.
    for (int n = 1; n <= 3; ++n)
        if (Usable(request.GetPricingFigure(n))) return request.GetPricingFigure(n);
    return -1.0f;
}

int StandardDefaultPrice(void* request) {
    if (!request) return -1;
    CPriceRequest copy = CPriceRequest::FromBytes(request);
    float price = ChooseDefaultPrice(copy);
    if (price < 0.0f) return -1;
    copy.SetPrice(price);
    // Only the price field is written back: the caller's other bytes stay as they were.
    const uint8_t* from = copy.Data() + CPriceRequest::kPrice;
    uint8_t* to = static_cast<uint8_t*>(request) + CPriceRequest::kPrice;
    for (int i = 0; i < 4; ++i)
        to[i] = from[i];
    return 0;
}

int DefaultPrice(void* request) {
    return g_priceFunction(request);
}

DefaultPriceFunction SetDefaultPriceFunction(DefaultPriceFunction function) {
    DefaultPriceFunction previous = g_priceFunction;
    g_priceFunction = function ? function : &StandardDefaultPrice;
    return previous;
}

int ReloadSystemParameters() {
    return 0;
}

int FilterDllMsg(void*) {
    return 0;
}
