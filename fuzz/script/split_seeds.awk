# Cuts a conformance script into small seeds for fuzz_script: pieces of about a dozen lines, cut only
# between top-level statements so that procedures and classes stay whole. Each piece starts with empty
# assertion procedures, so its statements run instead of stopping at the first unknown call.
# Usage: awk -v out=DIR -v stem=NAME -f split_seeds.awk FILE.vbs
function flush() {
    if (lines == 0) return
    file = out "/" stem "-" (++pieces) ".vbs"
    printf "Sub AssertEq(a, b, w)\nEnd Sub\nSub AssertTrue(c, w)\nEnd Sub\nSub AssertError(c, n, w)\nEnd Sub\n%s", text > file
    close(file)
    text = ""
    lines = 0
}
{
    sub(/\r$/, "")
    line = tolower($0)
    sub(/^[ \t]+/, "", line)
    sub(/^(public|private)[ \t]+(default[ \t]+)?/, "", line)
    if (line ~ /^(sub|function|class|property)[ \t]/) depth++
    else if (line ~ /^end[ \t]+(sub|function|class|property)/) depth--
    if (depth < 0) depth = 0
    text = text $0 "\n"
    lines++
    if (depth == 0 && lines >= 12) flush()
}
END { flush() }
