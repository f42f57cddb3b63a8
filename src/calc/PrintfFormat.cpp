#include "calc/PrintfFormat.h"

#include <charconv>
#include <stdexcept>

namespace kelmora {
namespace {

void AppendReal(std::string& out, double value, char conversion, int precision) {
    // Large enough for any double in fixed notation (309 digits) with the precisions used here.
    char buffer[400];
    if (precision < 0) precision = 6;
    if (precision > 40) throw std::logic_error("format precision too large");
    const std::chars_format form = conversion == 'f' ? std::chars_format::fixed : std::chars_format::general;
    const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, value, form, precision);
    if (r.ec != std::errc()) throw std::logic_error("number does not fit the format buffer");
    out.append(buffer, r.ptr);
}

}  // namespace

void FormatArg::AppendTo(std::string& out, char conversion, int precision) const {
    switch (conversion) {
        case 'd':
            if (kind_ == Kind::Integer) {
                char buffer[16];
                const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, integer_);
                out.append(buffer, r.ptr);
                return;
            }
            break;
        case 's':
            if (kind_ == Kind::Text) {
                out += text_;
                return;
            }
            break;
        case 'f':
        case 'g':
            if (kind_ == Kind::Real) {
                AppendReal(out, real_, conversion, precision);
                return;
            }
            break;
        default:
            break;
    }
    throw std::logic_error(std::string("format conversion %") + conversion + " does not fit its argument");
}

void AppendFormat(std::string& out, std::string_view format, std::initializer_list<FormatArg> args) {
    const FormatArg* next = args.begin();
    std::size_t i = 0;
    while (i < format.size()) {
        const std::size_t percent = format.find('%', i);
        if (percent == std::string_view::npos) {
            out.append(format.substr(i));
            break;
        }
        out.append(format.substr(i, percent - i));
        i = percent + 1;
        if (i < format.size() && format[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        int precision = -1;
        if (i < format.size() && format[i] == '.') {
            precision = 0;
            for (++i; i < format.size() && format[i] >= '0' && format[i] <= '9'; ++i) {
                precision = precision * 10 + (format[i] - '0');
            }
        }
        if (i >= format.size()) throw std::logic_error("format ends inside a conversion");
        if (next == args.end()) throw std::logic_error("too few format arguments");
        next->AppendTo(out, format[i], precision);
        ++next;
        ++i;
    }
    if (next != args.end()) throw std::logic_error("too many format arguments");
}

std::string Format(std::string_view format, std::initializer_list<FormatArg> args) {
    std::string out;
    AppendFormat(out, format, args);
    return out;
}

}  // namespace kelmora
