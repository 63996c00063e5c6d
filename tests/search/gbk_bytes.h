#pragma once

// Test texts written as UTF-8 in the source, turned into the GBK bytes the harvest rules work on.

#include <iconv.h>

#include <stdexcept>
#include <string>
#include <string_view>

namespace lanseek::test {

inline std::string gbk(std::string_view utf8)
{
    iconv_t cd = iconv_open("GB18030", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("no GB18030 converter");
    std::string in(utf8);
    std::string out(in.size() * 4 + 4, '\0');
    char* src = in.data();
    std::size_t srcLeft = in.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    const std::size_t done = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (done == static_cast<std::size_t>(-1))
        throw std::runtime_error("test text is not valid UTF-8");
    out.resize(out.size() - dstLeft);
    return out;
}

} // namespace lanseek::test
