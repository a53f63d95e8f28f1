#pragma once
// One MIME entity: an ordered header block, the body in transfer form and in decoded form, and
// the child parts it owns. The message class derives from it and works on its fields directly.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "mail/MemoryStream.h"
#include "support/StringList.h"

namespace ruzo {

class TMailMessage;
class TMailPart;

// Content-Transfer-Encoding kinds, in their fixed order (values 0 to 3).
enum TEncodingType : std::uint8_t { etBase64, etQuotedPrintable, etNoEncoding, et7Bit };

// The ordered child parts of a part; the list owns them. Indices are 0-based.
class TMailPartList {
public:
    TMailPartList() = default;
    TMailPartList(const TMailPartList&) = delete;
    TMailPartList& operator=(const TMailPartList&) = delete;
    ~TMailPartList();

    std::size_t size() const { return parts_.size(); }
    bool empty() const { return parts_.empty(); }
    TMailPart* Parts(std::size_t index) const { return parts_[index].get(); }
    auto begin() const { return parts_.begin(); }
    auto end() const { return parts_.end(); }

    // Appends the part and returns it.
    TMailPart* add(std::unique_ptr<TMailPart> part);
    // Removes the part at index from the list and hands it to the caller.
    std::unique_ptr<TMailPart> take(std::size_t index);
    // 0-based index of the part, or -1.
    int indexOf(const TMailPart* part) const;
    // Frees every part, from index 0 upwards.
    void clear();

private:
    std::vector<std::unique_ptr<TMailPart>> parts_;
};

class TMailPart {
public:
    TMailPart() = default;
    TMailPart(const TMailPart&) = delete;
    TMailPart& operator=(const TMailPart&) = delete;
    virtual ~TMailPart();

    // The value of the first field of that name ('' when absent), without one pair of outer
    // double quotes or apostrophes.
    std::string GetFieldValue(std::string_view name) const;
    std::string GetFieldParam(std::string_view name, std::string_view param) const;
    // Writes «Name: value» in place of the first such field, or appends it; an empty value
    // deletes the first field of that name.
    void SetFieldValue(std::string_view name, std::string_view value);
    // Rewrites or appends «; param=value» on the first field of that name, appending «Name:»
    // first when there is none. The value is written as given (callers add the quotes).
    void SetFieldParam(std::string_view name, std::string_view param, std::string_view value);
    std::string GetMediaType() const;  // Content-Type value in lower case
    std::string GetBoundaryParam() const;

    // The folded header block and the empty line that ends it.
    std::string GetHeaderText() const;
    // The part as transmitted: the header text, then the encoded body; nothing after it.
    std::string GetFullText() const;

    // Fills FDecodedBody from FEncodedBody by its Content-Transfer-Encoding, compared with
    // letter case; runs once per part. A "uucode" body is re-encoded as base64 afterwards.
    // Raises klv::Exception for a character outside the uu alphabet. Always returns true.
    bool DecodeBody();
    // Fills FEncodedBody from FDecodedBody and sets (or, for etNoEncoding, removes)
    // Content-Transfer-Encoding. et7Bit sends the bytes unchanged, whatever they are.
    void EncodeBody(TEncodingType kind);
    void EncodeAsQuotedPrintable();
    void EncodeAsBase64();

    // Takes the part out of its parent's FSubParts and hands it back; nullptr (and nothing
    // changed) when it has no parent or is not in the parent's list. FParentBoundary stays.
    std::unique_ptr<TMailPart> DetachFromParent();

    // The message code reads and writes these directly.
    klv::StringList FHeaderLines;  // one whole field line per item, in wire order
    TMemoryStream FEncodedBody;    // exactly the bytes after the header block
    TMemoryStream FDecodedBody;    // the content bytes
    std::string FParentBoundary;   // boundary of the enclosing multipart part
    TMailMessage* FMessage = nullptr;
    TMailPartList FSubParts;
    TMailPart* FParentPart = nullptr;
    bool FDecodeDone = false;
    bool FRelatedPart = false;  // an inline member of a multipart/related group
};

}  // namespace ruzo
