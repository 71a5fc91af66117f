#include "background/backgroundwork.h"

#include "generation/statustext.h"

BackgroundWork::Status BackgroundWork::status() const
{
    switch (phase()) {
    case Phase::Working:
        break;
    case Phase::Stopping:
        return {StatusText::stopping(), {}};
    case Phase::Writing:
        return {writingText(), {}};
    }
    return progress();
}
