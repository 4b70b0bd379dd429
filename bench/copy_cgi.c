/* A static CGI program that writes a file as a download: the plain copy that
 * a download through webreq is measured against.
 *   bench_copy FILE */
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

int main(int argc, char** argv) {
    static char buf[1 << 16];
    int fd = argc > 1 ? open(argv[1], O_RDONLY) : -1;
    if (fd < 0) return 1;
    fputs("Content-Type:application/octet-stream\r\nContent-Disposition: attachment; filename= copy.avi\r\n\r\n",
          stdout);
    fflush(stdout);
    for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;)
        for (ssize_t done = 0; done < n;) {
            ssize_t w = write(1, buf + done, (size_t)(n - done));
            if (w <= 0) return 1;
            done += w;
        }
    return 0;
}
