/* A program built against the installed engine: compresses a small page through the public
 * header and prints the result. */
#include <stdio.h>
#include <string.h>

#include <tagsqueeze.h>

int main(void) {
    char page[256] = "<HTML>\n<BODY>\n<P>Tiny   page</P>\n</BODY>\n</HTML>\n";
    InitCompressionParams();
    RemoveExcessSpaces(1);
    CompressEndP(1);
    const int32_t code = CompressHTMLBufferEx("tiny", page, (int32_t)sizeof page);
    if (code != TSQZ_OK) {
        fprintf(stderr, "tiny: code %d\n", (int)code);
        return 1;
    }
    fputs(page, stdout);
    return 0;
}
