// The pricing library: the customer's default price of an item, and the library's housekeeping
// calls made at start-up and for every dispatched message.
#pragma once

#include "PriceRequest.h"

// Fills the price field (offset 112) of the 152-byte request at `request` with the customer's
// price of the item. Returns -1 when there is no price; any other value means the price field holds
// it. Calls the installed pricing function (StandardDefaultPrice unless replaced).
int DefaultPrice(void* request);

// The rule of docs/pricing.md.
int StandardDefaultPrice(void* request);

// Replaces the pricing function (a suite that prices differently, or a test); null restores the
// standard rule. Returns the function installed before.
using DefaultPriceFunction = int (*)(void* request);
DefaultPriceFunction SetDefaultPriceFunction(DefaultPriceFunction function);

// Re-reads the library's settings for the selected profile; the standard rule has none.
int ReloadSystemParameters();

// Non-zero when the library consumed the message; the standard library consumes nothing.
int FilterDllMsg(void* message);

// The price the standard rule chooses from a request, or a negative value when it has none.
float ChooseDefaultPrice(const CPriceRequest& request);
