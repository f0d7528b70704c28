#pragma once

// What the program says to the agent, word for word.

namespace Messages {

inline constexpr const char* kEnterSplit = "Please enter your premium split percentage...";
inline constexpr const char* kInvalidSplit
    = "The number appears to be invalid. Please enter your split...";
inline constexpr const char* kEnterAmount = "Please enter the appropriate amount or charge...";
inline constexpr const char* kNotCopied = "The total could not be copied to the Clipboard...";
inline constexpr const char* kNotPrinted
    = "The form could not be printed. Please check your printer...";
inline constexpr const char* kStateNotCompleted
    = "Calculations have not been completed for this state...";

} // namespace Messages
