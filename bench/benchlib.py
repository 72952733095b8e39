"""What several benches share: free loopback ports and an unprivileged nginx
that counts the body bytes it sends."""
import os
import socket
import subprocess
import time


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def wait_for_port(port):
    for _ in range(200):
        with socket.socket() as probe:
            if probe.connect_ex(("127.0.0.1", port)) == 0:
                return
        time.sleep(0.05)
    raise RuntimeError(f"nothing listens on {port}")


class Nginx:
    """nginx on 127.0.0.1:`port` serving `site`, at most `rate` bytes a second
    per connection (0: no limit); `server` adds directives to the server block
    ("return 503;")."""

    def __init__(self, scratch, site, port, rate=0, server=""):
        self.port = port
        self.prefix = os.path.join(scratch, f"nginx-{port}")
        os.makedirs(os.path.join(self.prefix, "logs"), exist_ok=True)
        self.log = os.path.join(self.prefix, "logs", "access.log")
        config = os.path.join(self.prefix, "nginx.conf")
        limit = f"limit_rate {rate};" if rate else ""
        with open(config, "w") as out:
            out.write(f"""worker_processes 1;
daemon off;
pid {self.prefix}/nginx.pid;
error_log {self.prefix}/logs/error.log;
events {{ worker_connections 256; }}
http {{
  log_format bytes '$request_uri $status $body_bytes_sent';
  access_log {self.log} bytes;
  client_body_temp_path {self.prefix}/body;
  proxy_temp_path {self.prefix}/proxy;
  fastcgi_temp_path {self.prefix}/fastcgi;
  uwsgi_temp_path {self.prefix}/uwsgi;
  scgi_temp_path {self.prefix}/scgi;
  types {{ application/json json; application/zip zip; }}
  server {{
    listen 127.0.0.1:{port};
    root {site};
    {limit}
    {server}
  }}
}}
""")
        command = ["nginx", "-c", config, "-p", self.prefix]
        if os.getuid() == 0:
            # Never as root: the unprivileged user reads the site and writes
            # only its own prefix.
            subprocess.run(["chown", "-R", "nobody:nogroup", self.prefix], check=True)
            command = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"] + command
        self.process = subprocess.Popen(command, stderr=subprocess.DEVNULL)
        wait_for_port(port)

    def url(self, path):
        return f"http://127.0.0.1:{self.port}/{path}"

    def take_requests(self, name="GameClient.zip"):
        """(status, body bytes) of each request for `name` since the last call."""
        found = []
        if os.path.exists(self.log):
            with open(self.log) as log:
                for line in log:
                    parts = line.split()
                    if name in parts[0]:
                        found.append((int(parts[1]), int(parts[-1])))
            open(self.log, "w").close()
        return found

    def take_bytes(self, name="GameClient.zip"):
        """Body bytes sent for `name` since the last call."""
        return sum(sent for _, sent in self.take_requests(name))

    def stop(self):
        self.process.terminate()
        self.process.wait()
