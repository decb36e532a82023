// SwfActionList: the frame actions of a DoAction tag (or, without tag header, the
// bare action records).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct SwfAction {
    uint8_t code = 0;
    uint16_t bodyLength = 0;
    uint16_t frame = 0;
    uint8_t skipCount = 0;
    std::string first;   // url, target name or label
    std::string second;  // target of GetURL
};

class SwfActionList {
  public:
    explicit SwfActionList(bool withoutTagHeader = false) : withoutTagHeader_(withoutTagHeader) {}
    virtual ~SwfActionList() = default;

    void AddStop();                                           // 0x07
    void AddPlay();                                           // 0x06
    void AddNextFrame();                                      // 0x04
    void AddPreviousFrame();                                  // 0x05
    void AddGotoFrame(uint16_t frame);                        // 0x81
    void AddWaitForFrame(uint16_t frame, uint8_t skipCount);  // 0x8A
    // Texts end at their first zero character, as they do in the file.
    void AddGetUrl(std::string_view url, std::string_view target);  // 0x83
    void AddSetTarget(std::string_view name);                       // 0x8B
    void AddGotoLabel(std::string_view label);                      // 0x8C

    // False once an action was refused (its texts exceed the 16-bit body length,
    // or memory ran out); a list that does not fit encodes as no bytes.
    bool Fits() const { return fits_; }

    // Encodes the list, replacing any earlier encoding, and returns its bytes.
    const std::vector<uint8_t>& Encode();
    size_t GetLength() const { return encoded_.size(); }

  private:
    void AddTextAction(uint8_t code, std::string_view first, std::string_view second,
                       bool twoTexts);
    void Push(uint8_t code, uint16_t bodyLength, uint16_t frame = 0, uint8_t skipCount = 0,
              std::string_view first = {}, std::string_view second = {});
    void EncodeInto();

    bool withoutTagHeader_;
    std::vector<SwfAction> actions_;
    std::vector<uint8_t> encoded_;
    bool fits_ = true;
};
