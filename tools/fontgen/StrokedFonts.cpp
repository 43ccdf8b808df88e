// Turns the hand-drawn stroked fonts (graph/font/*.strokes) into the C++
// source of Graph::DrawnFonts: each glyph's pen moves become the kernel's
// stroke pairs. The text is checked strictly: every printable character and
// every accented letter must be drawn once, every point must fit the stroke
// format, every mark used must exist.
//
// A font text holds directives, glyphs and compositions, one to a line;
// ';' starts a comment line:
//   name LINE            the font's name in the font table
//   scale 2              font units per grid step
//   cap 12               height of capitals above the baseline, in steps
//   descent -4           depth of the lowest descender, in steps
//   use Other.strokes    glyphs this file does not draw come from that file
//   A 11 | 1,0 5,12 9,0 | 2,4 8,4
//       a glyph: its character (or 0xNN, or @name for a part used only in
//       compositions), its advance in steps, then strokes, each a list of
//       points x,y (y upwards from the baseline) joined by the pen
//   0x8E = A @diaeresis+4
//       a composition: a base glyph and a mark, the mark centred over the
//       base and raised by the given steps
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Glyph {
    int Advance = 0;
    std::vector<std::vector<std::pair<int, int>>> Strokes;
};

struct FontText {
    std::string Name;
    int Scale = 1, Cap = 0, Descent = 0;
    std::map<std::string, Glyph> Glyphs; // keyed by "0xNN" or "@name"
    std::set<std::string> DrawnHere;     // the keys the top file draws
};

constexpr int FirstChar = 0x20;
constexpr int LastChar = 0xA5;
// The accented letters of the built-in character set.
constexpr int Accented[] = {0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A,
                            0x8B, 0x8C, 0x8D, 0x8E, 0x8F, 0x90, 0x93, 0x94, 0x95, 0x96, 0x97,
                            0x98, 0x99, 0x9A, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5};

[[noreturn]] void Fail(const std::string& where, const std::string& message) {
    std::fprintf(stderr, "%s: error: %s\n", where.c_str(), message.c_str());
    std::exit(1);
}

std::string CodeKey(int code) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", code);
    return text;
}

// A glyph's key from its written form: one character, 0xNN or @name.
std::string KeyOf(const std::string& token, const std::string& where) {
    if (token.size() == 1)
        return CodeKey(static_cast<unsigned char>(token[0]));
    if (token.size() == 4 && token.rfind("0x", 0) == 0)
        return CodeKey(static_cast<int>(std::strtol(token.c_str() + 2, nullptr, 16)));
    if (token.size() > 1 && token[0] == '@')
        return token;
    Fail(where, "\"" + token + "\" names no glyph");
}

std::vector<std::string> Split(const std::string& text, char by) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, by))
        parts.push_back(part);
    return parts;
}

void ReadFont(const std::string& path, FontText& font, bool top);

void ReadLine(const std::string& line, const std::string& where, const std::string& folder,
              FontText& font, bool top) {
    std::istringstream in(line);
    std::string first;
    in >> first;
    if (first == "name" || first == "scale" || first == "cap" || first == "descent" ||
        first == "use") {
        std::string value;
        in >> value;
        if (value.empty())
            Fail(where, first + " needs a value");
        if (first == "use")
            ReadFont(value[0] == '/' ? value : folder + value, font, false);
        else if (!top)
            return; // the used file's metrics are its own
        else if (first == "name")
            font.Name = value;
        else
            (first == "scale" ? font.Scale
             : first == "cap" ? font.Cap
                              : font.Descent) = std::atoi(value.c_str());
        return;
    }
    const std::string key = KeyOf(first, where);
    std::string rest;
    std::getline(in, rest);
    Glyph glyph;
    const std::size_t equals = rest.find('=');
    if (equals != std::string::npos && rest.find('|') == std::string::npos) {
        std::istringstream parts(rest.substr(equals + 1));
        std::string baseName, markName;
        parts >> baseName >> markName;
        int raise = 0;
        if (const std::size_t plus = markName.find('+'); plus != std::string::npos) {
            raise = std::atoi(markName.c_str() + plus + 1);
            markName.resize(plus);
        }
        const auto base = font.Glyphs.find(KeyOf(baseName, where));
        const auto mark = font.Glyphs.find(KeyOf(markName, where));
        if (base == font.Glyphs.end() || mark == font.Glyphs.end())
            Fail(where, "a composition's base and mark must be drawn above it");
        glyph = base->second;
        const int centre = glyph.Advance / 2;
        for (auto stroke : mark->second.Strokes) {
            for (auto& point : stroke) {
                point.first += centre;
                point.second += raise;
            }
            glyph.Strokes.push_back(stroke);
        }
    } else {
        const std::vector<std::string> parts = Split(rest, '|');
        if (parts.empty())
            Fail(where, "glyph " + first + " has no advance");
        glyph.Advance = std::atoi(parts[0].c_str());
        for (std::size_t i = 1; i < parts.size(); ++i) {
            std::istringstream points(parts[i]);
            std::vector<std::pair<int, int>> stroke;
            for (std::string point; points >> point;) {
                const std::size_t comma = point.find(',');
                if (comma == std::string::npos)
                    Fail(where, "\"" + point + "\" is no point x,y");
                stroke.emplace_back(std::atoi(point.c_str()), std::atoi(point.c_str() + comma + 1));
            }
            if (stroke.empty())
                Fail(where, "glyph " + first + " has an empty stroke");
            glyph.Strokes.push_back(stroke);
        }
    }
    if (top && !font.DrawnHere.insert(key).second)
        Fail(where, "glyph " + first + " is drawn twice");
    font.Glyphs[key] = glyph;
}

void ReadFont(const std::string& path, FontText& font, bool top) {
    std::ifstream input(path, std::ios::binary);
    if (!input)
        Fail(path, "cannot open the font text");
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    int number = 0;
    for (std::string line; std::getline(input, line);) {
        ++number;
        if (line.empty() || line[0] == ';')
            continue;
        ReadLine(line, path + ":" + std::to_string(number), folder, font, top);
    }
}

// One stroke pair: the operation in the top bits, 7-bit coordinates below.
void Pair(std::vector<unsigned char>& data, int op, int x, int y) {
    data.push_back(static_cast<unsigned char>(((op >> 1) << 7) | (x & 0x7F)));
    data.push_back(static_cast<unsigned char>(((op & 1) << 7) | (y & 0x7F)));
}

void WriteFont(std::ostringstream& out, const FontText& font, const std::string& path, int index) {
    if (font.Name.empty() || font.Name.size() > 8 || font.Scale < 1)
        Fail(path, "the font needs a name of 1 to 8 characters and a scale of at least 1");
    std::vector<unsigned char> data;
    Pair(data, 0, 0, 0); // offset 0: the empty glyph of every undrawn code
    std::vector<int> offsets(256, 0), widths(256, 0);
    auto need = [&](int code) {
        if (!font.Glyphs.count(CodeKey(code)))
            Fail(path, "glyph " + CodeKey(code) + " is not drawn");
    };
    for (int code = FirstChar; code < 0x7F; ++code)
        need(code);
    for (int code : Accented)
        need(code);
    for (const auto& [key, glyph] : font.Glyphs) {
        if (key[0] == '@')
            continue;
        const int code = static_cast<int>(std::strtol(key.c_str() + 2, nullptr, 16));
        if (code < FirstChar || code > LastChar)
            Fail(path, "glyph " + key + " lies outside 0x20 to 0xA5");
        if (glyph.Advance < 0 || glyph.Advance * font.Scale > 255)
            Fail(path, "glyph " + key + " has an advance out of range");
        offsets[code] = static_cast<int>(data.size());
        widths[code] = glyph.Advance * font.Scale;
        for (const auto& stroke : glyph.Strokes)
            for (std::size_t i = 0; i < stroke.size(); ++i) {
                const int x = stroke[i].first * font.Scale;
                const int y = stroke[i].second * font.Scale;
                if (x < -64 || x > 63 || y < -64 || y > 63)
                    Fail(path, "glyph " + key + " has a point outside the stroke range");
                // A stroke of one point is a dot: a move and a draw to itself.
                if (i == 0)
                    Pair(data, 2, x, y);
                if (i > 0 || stroke.size() == 1)
                    Pair(data, 3, x, y);
            }
        Pair(data, 0, 0, 0);
        if (data.size() > 32767)
            Fail(path, "the font's stroke data is too large");
    }
    const int count = LastChar + 1 - FirstChar;
    unsigned char header[28] = {'+'};
    header[1] = count & 0xFF;
    header[2] = (count >> 8) & 0xFF;
    header[4] = FirstChar;
    header[8] = static_cast<unsigned char>(font.Cap * font.Scale);
    header[10] = static_cast<unsigned char>(font.Descent * font.Scale);

    const std::string n = std::to_string(index);
    auto list = [&out](const auto& values) {
        for (std::size_t i = 0; i < values.size(); ++i)
            out << (i % 16 == 0 ? "\n    " : " ") << int(values[i]) << ',';
        out << "\n};\n";
    };
    out << "const std::uint8_t Header" << n << "[28] = {";
    list(std::vector<int>(header, header + 28));
    out << "const std::int16_t Offsets" << n << "[256] = {";
    list(offsets);
    out << "const std::uint8_t Widths" << n << "[256] = {";
    list(widths);
    out << "const std::uint8_t Data" << n << "[" << data.size() << "] = {";
    list(data);
}

} // namespace

int WriteGeneratedSource(const char* path, const std::string& text); // FontGen.cpp

// fontgen --stroked <output .cpp> <font text>...
int StrokedFontsMain(int argc, char** argv) {
    std::ostringstream out;
    out << "// Generated by fontgen from graph/font/*.strokes: edit those files, not this one.\n"
        << "#include \"graph/DrawnFonts.h\"\n\nnamespace Graph {\nnamespace {\n";
    std::vector<std::string> names;
    for (int i = 3; i < argc; ++i) {
        FontText font;
        ReadFont(argv[i], font, true);
        WriteFont(out, font, argv[i], i - 3);
        names.push_back(font.Name);
    }
    out << "} // namespace\n\nconst DrawnFont DrawnFonts[DrawnFontCount] = {\n";
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string n = std::to_string(i);
        out << "    {\"" << names[i] << "\", Header" << n << ", Offsets" << n << ", Widths" << n
            << ", Data" << n << ", sizeof Data" << n << "},\n";
    }
    out << "};\n\n} // namespace Graph\n";
    return WriteGeneratedSource(argv[2], out.str());
}
