# The Overpass download, for import-pois (sourced): the cameras of a country,
# of several, or of a box, in one request to OpenStreetMap's query service,
# as OSM XML that read-pois reads like a file.
#
#   osm:DE          area["ISO3166-1"="DE"][admin_level=2]
#   osm:DE,AT,CH    area["ISO3166-1"~"^(DE|AT|CH)$"][admin_level=2]
#   osm:S,W,N,E     the box, decimal degrees
#
# The service's usage policy: one request per import, a User-Agent naming
# the program and its version, a server-side timeout in the query; when it
# is busy (HTTP 429, 504) a few tries with back-off, as Retry-After asks.

overpass_timeout=300   # seconds the service may work on the query
overpass_tries=4

# The query for AREA (what follows osm:), taking the nodes with the tags given
# (KEY=VALUE...), the enforcement relations, the ways the nodes sit on and
# every member and node below them.
overpass_query() {
    local area=${1^^} filter t
    shift
    printf '[out:xml][timeout:%d];\n' "$overpass_timeout"
    if [[ $area =~ ^[A-Z]{2}$ ]]; then
        printf 'area["ISO3166-1"="%s"][admin_level=2]->.a;\n' "$area"
        filter='(area.a)'
    elif [[ $area =~ ^[A-Z]{2}(,[A-Z]{2})+$ ]]; then
        printf 'area["ISO3166-1"~"^(%s)$"][admin_level=2]->.a;\n' "${area//,/|}"
        filter='(area.a)'
    elif [[ $area =~ ^(-?[0-9]+(\.[0-9]+)?,){3}-?[0-9]+(\.[0-9]+)?$ ]] &&
        awk -F, '{ exit !($1 >= -90 && $1 < $3 && $3 <= 90 && $2 >= -180 && $2 < $4 && $4 <= 180) }' <<< "$area"; then
        filter="($area)"
    else
        return 1
    fi
    echo '('
    for t in "$@"; do printf '  node["%s"="%s"]%s;\n' "${t%%=*}" "${t#*=}" "$filter"; done
    printf '  relation["type"="enforcement"]%s;\n' "$filter"
    echo ')->.hits;'
    echo '(.hits; way(bn.hits)["highway"];);'
    echo '(._;>;);'
    echo 'out body;'
}

# Downloads the answer to the query in file QUERY from URL into OUT; on any
# failure a message on standard error and a non-zero status. USER_AGENT
# names the program.
overpass_download() {
    local query=$1 url=$2 out=$3 agent=$4 try code wait rc
    local progress=(--silent)  # curl's failures are said below, in a line of ours
    [ -t 2 ] && progress=(--progress-bar)  # on a terminal; quiet in a service
    for try in $(seq "$overpass_tries"); do
        rc=0
        code=$(curl "${progress[@]}" --user-agent "$agent" --data-urlencode "data@$query" \
            --connect-timeout 30 --max-time $((overpass_timeout + 60)) \
            --dump-header "$out.headers" --output "$out" --write-out '%{http_code}' "$url") || rc=$?
        case $rc in
        0) ;;
        6) echo "the name in $url does not resolve (no network, or a wrong --overpass)"; return 1 ;;
        7) echo "cannot connect to $url (no network, or the service is down)"; return 1 ;;
        28) echo "$url did not answer in time"; return 1 ;;
        *) echo "the download from $url failed (curl's status $rc)"; return 1 ;;
        esac
        if [ "$code" = 429 ] || [ "$code" = 504 ]; then
            [ "$try" -lt "$overpass_tries" ] || break
            wait=$(sed -n 's/^[Rr]etry-[Aa]fter: *\([0-9][0-9]*\).*/\1/p' "$out.headers" | head -1)
            wait=${wait:-$((15 << (try - 1)))}
            [ -t 2 ] && echo "import-pois: the Overpass API is busy (HTTP $code); trying again in $wait s" >&2
            sleep "$((wait > 600 ? 600 : wait))"
            continue
        fi
        if [ "$code" != 200 ]; then
            echo "the Overpass API answered HTTP $code: $(head -c 300 "$out" | tr -s '\n' ' ')"
            return 1
        fi
        # A query that ran out of time or memory answers 200 with what it had
        # and a remark: never a list to trust.
        if grep -q '<remark>' "$out"; then
            echo "the Overpass API gave a partial answer: $(sed -n 's/.*<remark> *\(.*[^ ]\) *<\/remark>.*/\1/p' "$out" | head -1)"
            return 1
        fi
        return 0
    done
    echo "the Overpass API stayed busy (HTTP $code) through $overpass_tries tries; try again later"
    return 1
}
