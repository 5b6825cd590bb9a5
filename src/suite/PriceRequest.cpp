#include "PriceRequest.h"

#include <cstring>

CPriceRequest::CPriceRequest() {
    SetPrice(-1.0f);
}

CPriceRequest CPriceRequest::FromBytes(const void* bytes) {
    CPriceRequest request;
    if (bytes) std::memcpy(request.m_bytes.data(), bytes, kSize);
    return request;
}

void CPriceRequest::SetHistory(bool present, float amount1, float amount2) {
    m_bytes[kHistoryPresent] = present ? 1 : 0;
    PutFloat(kHistoryAmount1, present ? amount1 : 0.0f);
    PutFloat(kHistoryAmount2, present ? amount2 : 0.0f);
}

void CPriceRequest::SetItemFlags(bool flag7, bool flag8) {
    m_bytes[kItemFlag7] = flag7 ? 1 : 0;
    m_bytes[kItemFlag8] = flag8 ? 1 : 0;
}

void CPriceRequest::SetPricingFigures(float first, float second, float third) {
    PutFloat(kPricing1, first);
    PutFloat(kPricing2, second);
    PutFloat(kPricing3, third);
}

float CPriceRequest::GetPricingFigure(int n) const {
    switch (n) {
    case 1:
        return GetFloat(kPricing1);
    case 2:
        return GetFloat(kPricing2);
    case 3:
        return GetFloat(kPricing3);
    default:
        return 0.0f;
    }
}

float CPriceRequest::GetFloat(size_t offset) const {
    uint32_t u = static_cast<uint32_t>(m_bytes[offset]) | (static_cast<uint32_t>(m_bytes[offset + 1]) << 8) |
                 (static_cast<uint32_t>(m_bytes[offset + 2]) << 16) |
                 (static_cast<uint32_t>(m_bytes[offset + 3]) << 24);
    float value;
    std::memcpy(&value, &u, 4);
    return value;
}

void CPriceRequest::PutFloat(size_t offset, float value) {
    uint32_t u;
    std::memcpy(&u, &value, 4);
    for (int i = 0; i < 4; ++i)
        m_bytes[offset + i] = static_cast<uint8_t>((u >> (8 * i)) & 0xFF);
}

void CPriceRequest::PutPadded(size_t offset, const std::string& text, size_t width) {
    size_t n = text.size() < width ? text.size() : width;
    std::memcpy(m_bytes.data() + offset, text.data(), n);
    std::memset(m_bytes.data() + offset + n, ' ', width - n);
    m_bytes[offset + width] = 0;
}

std::string CPriceRequest::GetPadded(size_t offset, size_t width) const {
    const char* p = reinterpret_cast<const char*>(m_bytes.data() + offset);
    size_t n = 0;
    while (n < width && p[n] != '\0')
        ++n;
    return std::string(p, n);
}
