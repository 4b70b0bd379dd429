/* A static hello-world CGI program: the web server's own cost of a CGI run. */
#include <stdio.h>
int main(void) {
    fputs("Content-type: text/plain\r\n\r\nhello", stdout);
    return 0;
}
