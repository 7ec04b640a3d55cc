#include "script/runner/ConsoleStream.h"

#include "events/RuntimeError.h"
#include "script/Coerce.h"

#include <iostream>

namespace tvk::script {

namespace {
enum Member {
    Write = 1,
    WriteLine,
    WriteBlankLines,
    ReadLine,
    ReadAll,
    Read,
    Skip,
    SkipLine,
    AtEndOfStream,
    AtEndOfLine,
    Line,
    Column,
    Close
};

const MemberNames& names() {
    static const MemberNames n{"Write",    "WriteLine",     "WriteBlankLines", "ReadLine", "ReadAll", "Read", "Skip",
                               "SkipLine", "AtEndOfStream", "AtEndOfLine",     "Line",     "Column",  "Close"};
    return n;
}

// Ceiling of one WriteBlankLines call, so a script cannot ask for an unbounded write at once.
constexpr int32_t MaxBlankLines = 1 << 20;
// Longest text one read returns (the engine's string limit); longer input raises 14.
constexpr size_t MaxReadBytes = size_t{1} << 28;

bool continuationByte(int c) {
    return (c & 0xC0) == 0x80;
}
} // namespace

int ConsoleStream::memberId(std::u16string_view name) const {
    return names().find(name);
}

const void* ConsoleStream::memberTable() const {
    return &names();
}

std::istream& ConsoleStream::input() {
    if (!m_in) throw RuntimeError(err::BadFileMode);
    return *m_in;
}

std::ostream& ConsoleStream::output() {
    if (!m_out) throw RuntimeError(err::BadFileMode);
    return *m_out;
}

std::string ConsoleStream::readLine() {
    std::istream& in = input();
    if (in.peek() == std::char_traits<char>::eof()) throw RuntimeError(err::InputPastEnd);
    std::string line;
    for (int c = in.get(); c != std::char_traits<char>::eof() && c != '\n'; c = in.get()) {
        if (line.size() >= MaxReadBytes) throw RuntimeError(err::OutOfStringSpace);
        line.push_back(static_cast<char>(c));
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    ++m_line;
    m_column = 1;
    return line;
}

void ConsoleStream::write(const std::string& text) {
    std::ostream& out = output();
    if (&out != &std::cout) std::cout.flush(); // keep the order of lines echoed before
    out << text;
    for (char c : text) {
        if (c == '\n') {
            ++m_line;
            m_column = 1;
        } else if (!continuationByte(static_cast<unsigned char>(c))) {
            ++m_column;
        }
    }
    out.flush();
}

Value ConsoleStream::invoke(int id, std::span<Value> args) {
    switch (id) {
    case Write:
        expectArgs(args, 1, 1);
        write(toUtf8(args[0]));
        return Value();
    case WriteLine:
        expectArgs(args, 0, 1);
        write((args.empty() ? std::string() : toUtf8(args[0])) + "\n");
        return Value();
    case WriteBlankLines: {
        expectArgs(args, 1, 1);
        int32_t n = toLong(args[0]);
        if (n < 0 || n > MaxBlankLines) throw RuntimeError(err::InvalidCall);
        write(std::string(static_cast<size_t>(n), '\n'));
        return Value();
    }
    case ReadLine:
        expectArgs(args, 0, 0);
        return Value::string(std::string_view(readLine()));
    case ReadAll: {
        expectArgs(args, 0, 0);
        std::istream& in = input();
        if (in.peek() == std::char_traits<char>::eof()) throw RuntimeError(err::InputPastEnd);
        std::string all;
        char buffer[65536];
        while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
            all.append(buffer, static_cast<size_t>(in.gcount()));
            if (all.size() > MaxReadBytes) throw RuntimeError(err::OutOfStringSpace);
        }
        return Value::string(std::string_view(all));
    }
    case Read:
    case Skip: {
        // Read(n) / Skip(n): n characters (a character's UTF-8 bytes stay together).
        expectArgs(args, 1, 1);
        int32_t n = toLong(args[0]);
        if (n < 0) throw RuntimeError(err::InvalidCall);
        std::istream& in = input();
        if (id == Read && n > 0 && in.peek() == std::char_traits<char>::eof()) throw RuntimeError(err::InputPastEnd);
        std::string text;
        for (int32_t i = 0; i < n && in.peek() != std::char_traits<char>::eof(); ++i) {
            if (text.size() >= MaxReadBytes) throw RuntimeError(err::OutOfStringSpace);
            text.push_back(static_cast<char>(in.get()));
            while (continuationByte(in.peek()) && in.peek() != std::char_traits<char>::eof())
                text.push_back(static_cast<char>(in.get()));
            if (text.back() == '\n') {
                ++m_line;
                m_column = 1;
            } else {
                ++m_column;
            }
        }
        return id == Read ? Value::string(std::string_view(text)) : Value();
    }
    case SkipLine:
        expectArgs(args, 0, 0);
        readLine();
        return Value();
    case AtEndOfStream:
        expectArgs(args, 0, 0);
        return Value::boolean(input().peek() == std::char_traits<char>::eof());
    case AtEndOfLine: {
        expectArgs(args, 0, 0);
        int c = input().peek();
        return Value::boolean(c == std::char_traits<char>::eof() || c == '\n' || c == '\r');
    }
    case Line:
        expectArgs(args, 0, 0);
        return Value::lng(m_line);
    case Column:
        expectArgs(args, 0, 0);
        return Value::lng(m_column);
    case Close:
        expectArgs(args, 0, 0);
        return Value(); // the console stays open for the host
    default:
        throw RuntimeError(err::NoSuchMember);
    }
}

} // namespace tvk::script
