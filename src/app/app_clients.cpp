#include "app/mp3.h"

#include "platform/net/id_http.h"

// Disconnect is safe from the UI thread while a worker thread transfers; the worker then ends its GET.
void TForm1::disconnectClient(const std::shared_ptr<TIdHTTP>& client)
{
    if (client)
        client->Disconnect();
}
