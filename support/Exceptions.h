#pragma once
// The program's exception family. The kind of an error is its class name, shown by the
// outermost handler; messages are UTF-8.
#include <stdexcept>
#include <string>

namespace klv {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    virtual const char* className() const noexcept { return "Exception"; }
};

#define KLV_EXCEPTION(Name, Base)                                              \
    class Name : public Base {                                                 \
    public:                                                                    \
        using Base::Base;                                                      \
        const char* className() const noexcept override { return #Name; }      \
    }

KLV_EXCEPTION(EStreamError, Exception);
KLV_EXCEPTION(EFOpenError, EStreamError);    // a file cannot be opened for reading
KLV_EXCEPTION(EFCreateError, EStreamError);  // a file cannot be created for writing
KLV_EXCEPTION(EReadError, EStreamError);     // reading an open file failed
KLV_EXCEPTION(EConvertError, Exception);     // a text is not a number
KLV_EXCEPTION(EEncodingError, Exception);    // a character has no form in the target encoding
KLV_EXCEPTION(ERangeError, Exception);       // a value outside its allowed range
KLV_EXCEPTION(ESocketError, Exception);      // a socket cannot be opened at once

#undef KLV_EXCEPTION

}  // namespace klv
